// Creation, show sequence, dragging, closing and destruction of the main window.
#include "app/Main.h"

#include "app/MainGeometry.h"
#include "app/SettingsStore.h"
#include "audio/ClipRecords.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QWindow>

namespace murmex {
namespace {

constexpr QColor kFormColour{0x36, 0x6A, 0xB3};
constexpr QColor kTitleColour{0xFF, 0xB6, 0x32};
constexpr QColor kTitleShadowColour{0xB6, 0x61, 0x07};

void PlaceTitleLabel(QLabel* label, QPoint topLeft, QColor colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->move(topLeft);
    label->setVisible(true);
}

} // namespace

TfmMain::TfmMain(MainServices services) : m_services(std::move(services)) {
    setWindowTitle(QStringLiteral("Murmex"));
    setWindowFlag(Qt::FramelessWindowHint);
    setFixedSize(kFormWidth, kFormHeight);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kFormColour);
    setPalette(palette);

    CreateControls();
    FormCreate();
}

TfmMain::~TfmMain() {
    FormDestroy();
}

void TfmMain::CreateControls() {
    QFont titleFont(QStringLiteral("DejaVu Sans"));
    titleFont.setPixelSize(27);
    for (QLabel** label : {&Label_Title_Name_Shadow, &Label_Title_Name}) {
        *label = new QLabel(QStringLiteral("Murmex"), this);
        (*label)->setFont(titleFont);
        (*label)->resize(109, 34);
    }
    CreateDiagnosticsPanel();
}

void TfmMain::FormCreate() {
    Generator_On = false;
    First_Tick = true;
    Off_Count = 0;
    Memo1->clear();
    SettingsStore::ReadMainSettings(*this);
    audio::FillWaveList(WaveList_1, audio::BuiltInClipRecords());
    // Later here: build the output device list for the stored S/PDIF choice, then load the stored mapping.
    Bmp_Scroll_L = QImage(21, 142, QImage::Format_ARGB32_Premultiplied);
    Bmp_Scroll_R = QImage(21, 142, QImage::Format_ARGB32_Premultiplied);
    Bmp_Generator = QImage(164, 50, QImage::Format_ARGB32_Premultiplied);
}

// Runs on every show: at start-up and whenever the window comes back from the tray. The window is
// borderless from its creation; changing window flags here would hide it again.
void TfmMain::FormShow() {
    move(TopCentreLeft(m_services.virtualScreenWidth(), width()), kFormTop);
    // Later here: apply the language; place the four title buttons; move and hide the settings controls;
    // place the settings tab strip; show the generator lamp in the generator's state.
    PlaceTitleLabel(Label_Title_Name, {8, 2}, kTitleColour);
    Label_Title_Name->raise();
    PlaceTitleLabel(Label_Title_Name_Shadow, {9, 3}, kTitleShadowColour);
    Label_Title_Name_Shadow->lower();
    // Later here: the generator heading label.
    Vol_Base_Y = 135 + 91; // the layout's top of the left volume scale, plus 91
    // Later here: place both volume scales; show the noise controls; hints on or off; the generator
    // button's hint; focus to the hidden edit field; the auto-off delay and action; the noise marks,
    // option marks and S/PDIF mark.
    Page_Num = 0;
    // Later here: show the settings page.
}

void TfmMain::FormMouseDown(Qt::MouseButtons buttons, QPoint cursor) {
    if (!buttons.testFlag(Qt::LeftButton))
        return;
    // The platform's own move loop when there is one; with no window manager it refuses, and the
    // window follows the mouse through the move events instead.
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_drag.Press(buttons, cursor, pos());
}

void TfmMain::Sb_CloseClick() {
    close();
}

void TfmMain::FormClose() {}

void TfmMain::FormDestroy() {
    SettingsStore::WriteMainSettings(*this);
}

void TfmMain::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
}

void TfmMain::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
    emit Closed();
}

// Presses on the title labels reach here too: plain labels pass mouse events on to their parent.
void TfmMain::mousePressEvent(QMouseEvent* event) {
    FormMouseDown(event->buttons(), event->globalPosition().toPoint());
}

void TfmMain::mouseMoveEvent(QMouseEvent* event) {
    if (const auto topLeft = m_drag.Move(event->buttons(), event->globalPosition().toPoint()))
        move(*topLeft);
}

void TfmMain::mouseReleaseEvent(QMouseEvent* event) {
    m_drag.Release(event->buttons());
}

} // namespace murmex
