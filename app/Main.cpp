// Creation, show sequence, dragging, closing and destruction of the main window.
#include "app/Main.h"

#include "app/GeneratorLamp.h"
#include "app/MainGeometry.h"
#include "app/SettingsStore.h"
#include "audio/ClipRecords.h"
#include "i18n/Help.h"
#include "ui/FormShape.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QShowEvent>

namespace murmex {

TfmMain::TfmMain(MainServices services) : BitmapLists(ui::SkinLists::FromResources()), m_services(std::move(services)) {
    setWindowTitle(QStringLiteral("Murmex"));
    setWindowFlag(Qt::FramelessWindowHint);
    CreateControls();
    FormCreate();
}

TfmMain::~TfmMain() {
    FormDestroy();
}

void TfmMain::FormCreate() {
    Generator_On = false;
    First_Tick = true;
    Off_Count = 0;
    Memo1->clear();
    SettingsStore::ReadMainSettings(*this);
    audio::FillWaveList(WaveList_1, audio::BuiltInClipRecords());
    // Later here: build the output device list for the stored S/PDIF choice, then load the stored mapping.
    Bmp_Scroll_L = QImage(21, 142, QImage::Format_RGB32);
    Bmp_Scroll_R = QImage(21, 142, QImage::Format_RGB32);
    Bmp_Generator = QImage(164, 50, QImage::Format_RGB32);
}

// Runs on every show: at start-up and whenever the window comes back from the tray. The window is
// borderless from its creation; changing window flags here would hide it again.
void TfmMain::FormShow() {
    move(TopCentreLeft(m_services.virtualScreenWidth(), width()), kFormTop);
    // Later here: apply the language.
    const int scaleTop = Img_1_L->y();
    // The title buttons, the settings controls (moved and hidden until their page shows them), the tab
    // strip, the generator lamp, the title labels, the generator heading, both volume scales and the
    // sixteen noise controls.
    m_controls->ApplyShowPlacement();
    ShowGeneratorLamp();
    Vol_Base_Y = scaleTop + 91;
    for (ui::TDirectPicture* picture : {m_generatorFace, m_scaleLeft, m_scaleRight})
        picture->raise();
    LMDShapeHint1->SetHintsShown(HintShow);
    // Later here: the generator button's hint.
    if (Edit_Focus->isEnabled() && Edit_Focus->focusPolicy() != Qt::NoFocus)
        Edit_Focus->setFocus();
    // Later here: the auto-off delay and action; the noise marks, option marks and S/PDIF mark.
    Page_Num = 0;
    // Later here: show the settings page.
}

void TfmMain::ShowGeneratorLamp() {
    Indicator_Generator->SetBrushColor(ui::FromWinColour(GeneratorLampColour(Generator_On)));
    if (fmHelp)
        Indicator_Generator->setToolTip(Generator_On ? fmHelp->Str_Gen_Working : fmHelp->Str_Gen_Stopped);
}

void TfmMain::FormMouseDown(Qt::MouseButtons buttons, QPoint cursor) {
    if (buttons.testFlag(Qt::LeftButton))
        LMDFormShape1->StartMove(cursor);
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

// Presses on free points of the skin, and on the title labels, which pass theirs on, reach here.
void TfmMain::mousePressEvent(QMouseEvent* event) {
    FormMouseDown(event->buttons(), event->globalPosition().toPoint());
}

} // namespace murmex
