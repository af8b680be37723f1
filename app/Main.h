// The main window and controller of the program. Its handlers keep the names the rest of the program
// knows them by and stay thin: decisions live in small units beside it. Split into one .cpp per
// concern. UI thread only.
#pragma once

#include "app/MainState.h"
#include "audio/WaveList.h"
#include "platform/Desktop.h"
#include "ui/WindowDrag.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <exception>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace murmex {

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

    QLabel* Label_Title_Name = nullptr;
    QLabel* Label_Title_Name_Shadow = nullptr;

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
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

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

    MainServices m_services;
    ui::WindowDrag m_drag;
};

} // namespace murmex
