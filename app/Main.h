// The main window and controller of the program. Its handlers keep the names the rest of the program
// knows them by and stay thin: decisions live in small units beside it, the controls come from the
// window description (ui/MainLayout). Split into one .cpp per concern. UI thread only.
#pragma once

#include "app/MainState.h"
#include "audio/WaveList.h"
#include "platform/Desktop.h"
#include "ui/MainControls.h"

#include <QImage>
#include <QWidget>

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
    std::function<QPoint()> cursorPos = platform::CursorPos;
    // The standard error box: modal, one OK button. UI thread only.
    std::function<void(const QString& message)> showError = ShowErrorBox;

    static void ShowErrorBox(const QString& message);
};

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
    void FormMouseDown(Qt::MouseButtons buttons, QPoint cursor);
    void Sb_CloseClick();
    void FormClose();
    void FormDestroy();

    // Player start and stop; a start whose noise names no clip throws the list-index error.
    void btPlayThreadClick();
    void btStopThreadClick();
    // The output device the generator plays on.
    std::int32_t OutputDeviceId() const;

signals:
    // The window was closed; being the main window, this ends the program.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

    // Where the three direct pictures are shown over their controls.
    ui::TDirectPicture* m_generatorFace = nullptr;
    ui::TDirectPicture* m_scaleLeft = nullptr;
    ui::TDirectPicture* m_scaleRight = nullptr;

private:
    void CreateControls();
    void CreateDiagnosticsPanel();

    // Runs one user action; an error it raises ends the action and is shown in the standard error box.
    template <typename Action> void RunAction(Action&& action) {
        try {
            action();
        } catch (const std::exception& error) {
            m_services.showError(QString::fromUtf8(error.what()));
        }
    }
    void BindTitleAndGenerator();
    void BindVolumeAndSettings();
    void BindPages();
    void CreateComponents();
    void ShowGeneratorLamp();

    MainServices m_services;
    QImage m_texture;
    std::unique_ptr<ui::MainControls> m_controls;
};

} // namespace murmex
