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

#include <functional>

class QLabel;

namespace murmex {

struct TfmHelp;

// The desktop services the window uses, replaceable by tests.
struct MainServices {
    std::function<int()> virtualScreenWidth = platform::VirtualScreenWidth;
    std::function<QPoint()> cursorPos = platform::CursorPos;
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

    void FormCreate();
    void FormShow();
    void FormMouseDown(Qt::MouseButtons buttons, QPoint cursor);
    void Sb_CloseClick();
    void FormClose();
    void FormDestroy();

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

    MainServices m_services;
    ui::WindowDrag m_drag;
};

} // namespace murmex
