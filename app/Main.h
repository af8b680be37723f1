// The main window and controller of the program. Its handlers keep the names the rest of the program
// knows them by and stay thin: decisions live in small units beside it, the controls come from the
// window description (ui/MainLayout). Split into one .cpp per concern. UI thread only.
#pragma once

#include "app/AutoOff.h"
#include "app/Hover.h"
#include "app/Keys.h"
#include "app/MainState.h"
#include "audio/AudioOut.h"
#include "audio/WaveList.h"
#include "audio/WaveOutUtils.h"
#include "platform/Desktop.h"
#include "ui/MainControls.h"

#include <QImage>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QAction;
class QLineEdit;
class QTimer;

namespace murmex {

namespace ui {
class TDirectPicture;
class TIgoIndicator;
class TImage;
class TLMDFormShape;
class TLMDLabelFill;
class TLMDLImage;
class TLMDPanelFill;
class TLMDPopupMenu;
class TLMDShapeHint;
class TLMDTrayIcon;
class TShape;
class TSkinField;
} // namespace ui

struct TfmHelp;

// The desktop services the window uses, replaceable by tests.
struct MainServices {
    std::function<int()> virtualScreenWidth = platform::VirtualScreenWidth;
    // Read once as the window shows; from then on the window follows the pointer by its own events.
    std::function<QPoint()> cursorPos = platform::CursorPos;
    // A clock that only goes forward, in ms: the auto-off counts playing time by it.
    std::function<std::int64_t()> steadyMs = SteadyMs;
    // The standard error box: modal, one OK button. UI thread only. None where nobody could see a box, which
    // would hold its caller (a player included) for good: the error is then only noted, one line on stderr.
    std::function<void(const QString& message)> showError = ShowErrorBox;
    // Where the chosen output devices are kept.
    std::function<QString()> deviceIniPath = DefaultDeviceIniPath;
    audio::SndDeviceLibrary soundDevices{.key = platform::GetSndDeviceKeyDS,
                                         .isDefault = platform::IsSndDeviceDefaultDS};
    // Turns the computer off for the auto-off; nothing when not given, so no test can reach the real one.
    std::function<void()> powerOff;
    // Suspends the computer for the auto-off, the same way; a refusal comes back later on the UI thread, with
    // why, through `refused`.
    std::function<void(std::function<void(const QString& why)> refused)> suspend;
    // Told true when a start turns the generator on and false whenever it stops: the program keeps the
    // computer from suspending for being idle in between.
    std::function<void(bool playing)> playingChanged;
    // Asked at every minimise: without a notification area the window goes to the taskbar instead.
    std::function<bool()> trayAvailable = platform::TrayAvailable;
    // The help file and the web page are handed to the desktop; whether they open is not reported.
    std::function<void(const QUrl& url)> openUrl = platform::OpenUrl;
    // Where the help files are looked for, in order.
    std::function<QStringList()> helpFolders = DefaultHelpFolders;

    static void ShowErrorBox(const QString& message);
    static std::int64_t SteadyMs();
    // Named like the program with ".ini": beside a portable copy, whose folder is the user's own and not under
    // /usr; else in the user's own settings folder. A file left beside an installed program by an older
    // version is moved (copied, where it cannot be removed) into the settings folder first.
    static QString DefaultDeviceIniPath();
    static QString DeviceIniPath(const QString& programPath, bool programFolderIsUsersOwn, const QString& userFolder);
    // The working folder first, as a help file has always been found there; then beside the program, which is
    // where a build or a portable copy keeps them; then the data folders of an installed program.
    static QStringList DefaultHelpFolders();
};

// One entry of the output device choice; entry 1 is the output the generator plays on.
struct TDeviceMapEntry {
    ui::TSkinField* Edit = nullptr; // where the device's name is shown, if anywhere
    std::int32_t Id = -1;           // -1 is the default output
    QString Key;                    // the chosen device's key: its id follows it when the list changes
};

class SettingsSaver;

class TfmMain : public QWidget, public MainState {
    Q_OBJECT
public:
    explicit TfmMain(MainServices services = {});
    ~TfmMain() override;

    // The text holder, created after the window and handed over by the start-up sequence.
    TfmHelp* fmHelp = nullptr;

    // Picture lists, window shape, hint style, tray icon and its menu.
    ui::SkinLists BitmapLists;
    const ui::TLMDBitmapList& BitmapList_Btn = BitmapLists.BitmapList_Btn;
    const ui::TLMDBitmapList& BitmapList_Scroll = BitmapLists.BitmapList_Scroll;
    const ui::TLMDBitmapList& BitmapList_YellowMenu = BitmapLists.BitmapList_YellowMenu;
    ui::TLMDFormShape* LMDFormShape1 = nullptr;
    ui::TLMDShapeHint* LMDShapeHint1 = nullptr;
    ui::TLMDTrayIcon* TrayIcon = nullptr;
    ui::TLMDPopupMenu* Menu_Tray = nullptr;
    QAction* TrayMenu_1 = nullptr;
    QAction* TrayMenu_2 = nullptr;
    QAction* TrayMenu_3 = nullptr;
    QAction* TrayMenu_4 = nullptr;

    // Title band.
    ui::TLMDLabelFill* Label_Title_Name_Shadow = nullptr;
    ui::TLMDLabelFill* Label_Title_Name = nullptr;
    ui::TLMDLImage* Sb_Help = nullptr;
    ui::TLMDLImage* Sb_Internet = nullptr;
    ui::TLMDLImage* Sb_Min = nullptr;
    ui::TLMDLImage* Sb_Close = nullptr;
    ui::TLMDPanelFill* Panel_Indicator_Generator = nullptr;
    ui::TShape* Indicator_Generator = nullptr;
    ui::TLMDLabelFill* Lbl_Title_1 = nullptr;

    // Generator panel.
    ui::TLMDLImage* Img_Generator = nullptr;
    ui::TLMDLImage* Cb_Noise_1 = nullptr;
    ui::TLMDLImage* Cb_Noise_2 = nullptr;
    ui::TLMDLImage* Cb_Noise_3 = nullptr;
    ui::TLMDLImage* Cb_Noise_4 = nullptr;
    ui::TLMDLImage* Cb_Noise_5 = nullptr;
    ui::TLMDLImage* Cb_Noise_6 = nullptr;
    ui::TLMDLImage* Cb_Noise_7 = nullptr;
    ui::TLMDLImage* Cb_Noise_8 = nullptr;
    ui::TLMDLImage* Img_Noise_1 = nullptr;
    ui::TLMDLImage* Img_Noise_2 = nullptr;
    ui::TLMDLImage* Img_Noise_3 = nullptr;
    ui::TLMDLImage* Img_Noise_4 = nullptr;
    ui::TLMDLImage* Img_Noise_5 = nullptr;
    ui::TLMDLImage* Img_Noise_6 = nullptr;
    ui::TLMDLImage* Img_Noise_7 = nullptr;
    ui::TLMDLImage* Img_Noise_8 = nullptr;
    ui::TLMDLImage* Sb_Generator = nullptr;

    // Volume panel.
    ui::TLMDLImage* Img_Volume = nullptr;
    ui::TImage* Img_Left = nullptr;
    ui::TImage* Img_Right = nullptr;
    ui::TLMDLImage* Img_1_L = nullptr;
    ui::TLMDLImage* Img_1_R = nullptr;
    ui::TIgoIndicator* Left_Indicator = nullptr;
    ui::TIgoIndicator* Right_Indicator = nullptr;
    ui::TImage* Img_Level_L = nullptr;
    ui::TLMDLabelFill* Lbl_Vol_L = nullptr;
    ui::TImage* Img_Level_R = nullptr;
    ui::TLMDLabelFill* Lbl_Vol_R = nullptr;

    // Settings panel: heading, tab strip and the three pages.
    ui::TLMDLImage* Img_Setting = nullptr;
    ui::TLMDLImage* Img_Yellow_Fon1 = nullptr;
    ui::TLMDLImage* Btn_Yellow_1 = nullptr;
    ui::TLMDLImage* Btn_Yellow_2 = nullptr;
    ui::TLMDLImage* Btn_Yellow_3 = nullptr;
    ui::TLMDLabelFill* Lbl_Lang = nullptr;
    ui::TLMDPanelFill* Panel_Lang = nullptr;
    ui::TSkinField* Edit_Lang = nullptr;
    ui::TLMDLImage* Sb_Lang_Up = nullptr;
    ui::TLMDLImage* Sb_Lang_Down = nullptr;
    ui::TLMDLabelFill* Lbl_Obj1 = nullptr;
    ui::TLMDPanelFill* Panel_Obj1 = nullptr;
    ui::TSkinField* Edit_Obj1 = nullptr;
    ui::TLMDLImage* Sb_Obj1_Up = nullptr;
    ui::TLMDLImage* Sb_Obj1_Down = nullptr;
    ui::TLMDLImage* Cb_SPDIF = nullptr;
    ui::TLMDLabelFill* Lbl_SPDIF = nullptr;
    ui::TLMDLabelFill* Lbl_Off_Title = nullptr;
    ui::TLMDPanelFill* Panel_Off_1 = nullptr;
    ui::TSkinField* Edit_Off_1 = nullptr;
    ui::TLMDLabelFill* Label1 = nullptr;
    ui::TLMDLImage* Sb_Off_1_Up = nullptr;
    ui::TLMDLImage* Sb_Off_1_Down = nullptr;
    ui::TLMDPanelFill* Panel_Off_2 = nullptr;
    ui::TSkinField* Edit_Off_2 = nullptr;
    ui::TLMDLImage* Sb_Off_2_Up = nullptr;
    ui::TLMDLImage* Sb_Off_2_Down = nullptr;
    ui::TLMDLImage* Cb_Min_FormShow = nullptr;
    ui::TLMDLabelFill* Lbl_Min_FormShow = nullptr;
    ui::TLMDLImage* Cb_HintShow = nullptr;
    ui::TLMDLabelFill* Lbl_HintShow = nullptr;

    // Below the visible outline.
    QLineEdit* Edit_Focus = nullptr;
    ui::TLMDLabelFill* Lbl_Title_2 = nullptr;

    // Off-screen pictures that are drawn and then copied onto the window surface.
    QImage Bmp_Scroll_L;
    QImage Bmp_Scroll_R;
    QImage Bmp_Generator;

    // The built-in clips, filled once at creation and unchanged for the window's life.
    audio::TLMDWaveList WaveList_1;

    // The output devices as listed, and the four entries of the device choice (entry k is DeviceMap[k - 1]);
    // only entry 1 is shown and used.
    audio::TDeviceList DeviceList;
    std::array<TDeviceMapEntry, 4> DeviceMap;

    // Ticks every 100 ms while the window is shown, and rests out of sight (app/WorkTick.h); the level
    // indicators' timer ticks every 60 ms while the generator runs and the window is shown.
    QTimer* Timer_Work = nullptr;
    QTimer* Timer_Indicator = nullptr;
    // The hidden diagnostics panel, below the visible outline.
    QFrame* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* laThreadCnt = nullptr;
    QSlider* tbVolLeft = nullptr;
    QSlider* tbVolRight = nullptr;
    QCheckBox* cbLoop = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* btStopThread = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    void FormCreate();
    void FormShow();
    // A start that does not show the window: what its first show and its first active moment would do is done
    // now, since neither may come for a long while, and the settings count as stored from here on. The window
    // itself stays unshown.
    void PrepareUnshown();
    void FormMouseDown(Qt::MouseButtons buttons, QPoint cursor);
    void Sb_CloseClick();
    void FormClose();
    void FormDestroy();

    // The work timer: first active tick, auto-off, hover pictures, generator face, sliders, player count, tabs.
    void Timer_WorkTimer();
    // Starts, paces or rests the work timer and the level lamps' timer for the window's state now.
    void PaceTimers();
    // The auto-off's shutdown action: the settings are kept first, then the computer is asked to power off.
    // Nothing waits for the answer, and a refusal leaves the program as it was.
    void ShutdownComputer();
    // The auto-off's suspend action: the generator stops, the settings are kept, then the computer is asked to
    // suspend and the program waits. A refusal is noted on stderr and in the diagnostics, never in a box: the
    // user is asleep.
    void SuspendComputer();

    // Generator and noise choice. A start whose noise names no clip throws the list-index error and leaves
    // the generator stopped.
    void Sb_GeneratorClick();
    void Sb_GeneratorMouseDown(Qt::MouseButton button);
    void Sb_GeneratorMouseUp(Qt::MouseButton button);
    // The click handler of noise `n`'s mark and name (Cb_Noise_1Click .. Cb_Noise_8Click).
    void Cb_NoiseClick(std::int32_t n);
    void UpdateNoiseMarks();
    void TrayMenu_1Click();
    void TrayMenu_2Click();

    // Player start and stop; a start whose noise names no clip throws the list-index error.
    void btPlayThreadClick();
    void btStopThreadClick();
    void StartWhenAnswered();
    // The output device the generator plays on.
    std::int32_t OutputDeviceId() const;

    // Volume: the hidden track bars carry the output volume, the sliders and labels show the user's.
    void tbVolLeftChange();
    void SyncDeviceVolume();
    void DrawSliderLeft();
    void DrawSliderRight();
    void Img_1_LMouseDown(Qt::MouseButton button);
    void Img_1_LMouseUp(Qt::MouseButton button);
    void Img_1_RMouseDown(Qt::MouseButton button);
    void Img_1_RMouseUp(Qt::MouseButton button);
    void Timer_IndicatorTimer();
    // Both volumes set from outside the window, shown and heard as a drag of the sliders would be.
    void SetVolumes(std::int32_t left, std::int32_t right);

    // Output devices. The arrows throw the list-index error on an empty list and the write error when the
    // choice cannot be stored.
    void LoadDeviceMap();
    void ShowMappedDevice(int entry);
    // The sound system's outputs changed, or its volume was changed outside the program (in the desktop's
    // mixer): the list is read again, the chosen output's id follows its key, and the sliders follow the
    // volume as a drag would.
    void SoundSystemChanged();
    void Sb_Obj1_UpClick();
    void Sb_Obj1_DownClick();
    void Cb_SPDIFClick();
    void UpdateSPDIFMark();

    // Settings pages.
    void Btn_Yellow_1Click();
    void Btn_Yellow_2Click();
    void Btn_Yellow_3Click();
    void UpdateSettingsPage();
    void UpdateOptionMarks();

    // Languages and the auto-off selectors.
    // Fills the text holder for Lang_Num and shows its texts, hints and lettered pictures on the window.
    void ApplyLanguage();
    void Sb_Lang_UpClick();
    void Sb_Lang_DownClick();
    // The delay and action selectors wrap around and show their choice; the action shows only with a delay
    // chosen on the options page.
    void ShowOffDelay();
    void ShowOffAction();
    // A delay index or an action chosen, as the arrows choose them.
    void ChooseOffDelay(std::int32_t off1);
    void ChooseOffAction(std::int32_t off2);
    void Sb_Off_1_UpClick();
    void Sb_Off_1_DownClick();
    void Sb_Off_2_UpClick();
    void Sb_Off_2_DownClick();
    // The hints of the generator button and its lamp for the generator's state, in the current language.
    void ShowGeneratorHints();

    // Tray, minimise, options, help and web.
    // Puts the window away into the tray, or onto the taskbar when there is no tray; everything goes on
    // running. The icon's double click brings the window back as on the first show.
    void Sb_MinClick();
    void TrayIconDblClick();
    // A second start of the program brings this window to the front: back from the tray, the taskbar or
    // behind other windows.
    void AnotherCopyStarted();
    void TrayMenu_3Click();
    void TrayMenu_4Click();
    // Open the help file or the maker's web page of the language; nothing for a language without them.
    void Sb_HelpClick();
    void Sb_InternetClick();
    // The handlers of the two option tick boxes and their labels.
    void Cb_HintShowClick();
    void Cb_Min_FormShowClick();

    // The window's keys while it is active, each as a click of its control (app/Keys.h); false for a key
    // that is not the window's.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat = false);
    // A key's press or release as the window receives it; true when the window took it.
    bool FormKeyEvent(const QKeyEvent& key);

    // Runs a command that comes from outside the window (such as the media controls') as one user action that
    // never opens an error box: whoever sent it may not be looking at the window. The error it meets is noted on
    // stderr and in the diagnostics memo, and returned for the sender; empty when it was done.
    QString RunCommand(const std::function<void()>& command);

private:
    void ConnectLanguageAndOff();
    void ConnectTrayAndOptions();
    void ConnectKeys();
    void ConnectAccessibility();
    void ShowAccessibleNames(const TfmHelp& t);
    // Hints of the whole application, the tray menu's included, on or off as HintShow says.
    void ApplyHintShow();

signals:
    // The window was closed; being the main window, this ends the program.
    void Closed();
    // After each user action, command, tick and outside change of the sound system: what the stored settings
    // and the media controls show may differ now.
    void Changed();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Where the three direct pictures are shown over their controls.
    ui::TDirectPicture* m_generatorFace = nullptr;
    ui::TDirectPicture* m_scaleLeft = nullptr;
    ui::TDirectPicture* m_scaleRight = nullptr;

private:
    void CreateControls();
    void CreateDiagnosticsPanel();
    // A problem with the files the settings are kept in, noted; `box` also shows it in the error box, once the
    // event loop gets to it (never at the end), unless a box is open then.
    void NoteFileProblem(const QString& message, bool box);
    // On stderr and in the diagnostics memo.
    void NoteError(const QString& message);
    // The one way to the error box, for every source of errors (a click, a player, the settings): one box at a
    // time. While one is open, commands and players go on running in its loop, and what they meet is noted
    // instead of opening a box over it.
    void ShowError(const QString& message);
    // False, and nothing shown, while a box is open or where there is no box.
    bool OpenErrorBox(const QString& message);

    // Runs one user action; an error it raises ends the action and is shown in the standard error box.
    template <typename Action> void RunAction(Action&& action) {
        try {
            action();
        } catch (const std::exception& error) {
            ShowError(QString::fromUtf8(error.what()));
        }
        emit Changed();
    }
    // Connects a control's signal to a handler that runs as one user action.
    template <typename Sender, typename Signal> void Handle(Sender* sender, Signal signal, void (TfmMain::*handler)()) {
        connect(sender, signal, this, [this, handler] { RunAction([this, handler] { (this->*handler)(); }); });
    }
    // The same for a mouse button's press or release.
    template <typename Sender, typename Signal>
    void HandleButton(Sender* sender, Signal signal, void (TfmMain::*handler)(Qt::MouseButton)) {
        connect(sender, signal, this, [this, handler](Qt::MouseButton button) {
            RunAction([this, handler, button] { (this->*handler)(button); });
        });
    }
    void BindTitleAndGenerator();
    void BindVolumeAndSettings();
    void BindPages();
    void ConnectHandlers();
    void ConnectVolume();
    void CreateComponents();
    void ShowGeneratorLamp();
    void StartGenerator();
    void StopGenerator();
    // The pictures under the pointer, from where the window's own events last saw it.
    void PointerAt(QPoint cursor);
    void ShowHover();
    void ShowGeneratorFace(QPoint cursor);
    void ShowTitleHover(QPoint cursor);
    void ShowOffArrowHover(QPoint cursor);
    void CountOff();
    void FadeOut();
    void CancelFade();
    void KeepSettings();
    void ShowTabFaces(QPoint cursor);
    void StopIfStartFailed();
    void ChooseOutputDevice(std::int32_t id);
    std::array<ui::TLMDLImage*, 8> NoiseMarkControls() const;
    std::array<ui::TLMDLImage*, 16> NoiseControls() const;

    // The left or the right volume slider with everything that belongs to it.
    struct Slider;
    Slider SliderL();
    Slider SliderR();
    void SliderStep(const Slider& slider, QPoint cursor);
    void SliderSteps(QPoint cursor);
    void DrawSlider(const Slider& slider);
    void ShowVolume(const Slider& slider);
    bool MoveTrackBars();
    void ApplyStoredVolumes();
    void ShowOutsideVolumes(std::int32_t left, std::int32_t right);
    void EndFadeForUser();
    bool Hovered(QWidget* control, QPoint cursor) const;
    // Neither hidden (in the tray), minimised, nor taken off the screen from outside.
    bool WindowShown() const;

    MainServices m_services;
    SettingsSaver* m_saver = nullptr;
    QImage m_texture;
    std::unique_ptr<ui::MainControls> m_controls;
    audio::TAudioOut m_audioOut;
    // A player's error has been shown (and the box closed) or noted since the generator started: once no
    // player is left, the start has failed and the generator shows stopped again.
    bool m_playerErrorSeen = false;
    // The generator was started before the sound server answered: its player starts once the server has.
    bool m_startWhenAnswered = false;
    bool m_errorBoxOpen = false;                // its own event loop runs meanwhile
    bool m_fading = false;                      // the output volume is below the user's for the auto-off's fade
    bool m_fadeCancelled = false;               // the user ended this fade
    std::int32_t m_offRequestedAt = kNoRequest; // the count at which the power-off was asked for
    std::int64_t m_countedTo = 0;               // the steady clock's ms up to which playing time is counted
    // Shown, but taken off the screen from outside (another desktop, say): nothing of it is seen meanwhile.
    bool m_unexposed = false;
    QPoint m_pointer = kNoCursor; // screen point; kNoCursor once the pointer has left the window
    KeyRepeats m_keyRepeats;
};

} // namespace murmex
