// Creation, show sequence, dragging, closing and destruction of the main window.
#include "app/Main.h"

#include "app/Generator.h"
#include "app/MainGeometry.h"
#include "app/SettingsSaver.h"
#include "app/SettingsStore.h"
#include "app/Sliders.h"
#include "audio/ClipRecords.h"
#include "platform/SoundBackend.h"
#include "ui/FormShape.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QHoverEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace murmex {

TfmMain::TfmMain(MainServices services)
    : BitmapLists(ui::SkinLists::FromResources()), m_services(std::move(services)),
      m_audioOut(m_services.deviceIniPath()) {
    setWindowTitle(QStringLiteral("Murmex"));
    setWindowFlag(Qt::FramelessWindowHint);
    CreateControls();
    m_saver = new SettingsSaver(
        [this] {
            return SettingsSaver::Values{*this, Lang_Num};
        },
        [this](const QString& message) { NoteFileProblem(message, true); }, this);
    connect(this, &TfmMain::Changed, m_saver, &SettingsSaver::Check);
    // The window's own pointer events, its children's included, keep the pictures under the pointer.
    setAttribute(Qt::WA_Hover);
    FormCreate();
    PaceTimers();
}

TfmMain::~TfmMain() {
    platform::Sound().SetChangeObserver({});
    FormDestroy();
}

void TfmMain::FormCreate() {
    Generator_On = false;
    First_Tick = true;
    Off_Count = 0;
    m_countedTo = m_services.steadyMs();
    Memo1->clear();
    if (const std::optional<QString> unusable = m_saver->UnusableFiles(m_audioOut.FileName()))
        NoteFileProblem(*unusable, false);
    static_cast<MainSettings&>(*this) = SettingsStore::ReadMainSettings();
    // Volumes from an edited store take the nearest end of their range before anything uses them.
    Value_L = ClampVolume(Value_L);
    Value_R = ClampVolume(Value_R);
    audio::FillWaveList(WaveList_1, audio::BuiltInClipRecords());
    // The sound system starts on this thread, before any player, and lists the outputs. A sound server that has
    // not answered yet lists them when it does: the observer is there before the first reading, so that no
    // answer goes unheard.
    platform::StartSound();
    platform::Sound().SetChangeObserver([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                SoundSystemChanged();
                StartWhenAnswered();
                emit Changed();
            },
            Qt::QueuedConnection);
    });
    audio::FillDeviceList(DeviceList, SPDIF, m_services.soundDevices);
    LoadDeviceMap();
    Bmp_Scroll_L = QImage(21, 142, QImage::Format_RGB32);
    Bmp_Scroll_R = QImage(21, 142, QImage::Format_RGB32);
    Bmp_Generator = QImage(164, 50, QImage::Format_RGB32);
    // A start before the window is first active plays at the stored volumes, which the sliders show. The
    // track bars write only when they move, and the output's volume may be someone else's until now.
    ApplyStoredVolumes();
    tbVolLeftChange();
}

// Runs on every show: at start-up and whenever the window comes back from the tray. The window is
// borderless from its creation; changing window flags here would hide it again.
void TfmMain::FormShow() {
    move(TopCentreLeft(m_services.virtualScreenWidth(), width()), kFormTop);
    ApplyLanguage();
    const int scaleTop = Img_1_L->y();
    // The title buttons, the settings controls (moved and hidden until their page shows them), the tab
    // strip, the generator lamp, the title labels, the generator heading, both volume scales and the
    // sixteen noise controls.
    m_controls->ApplyShowPlacement();
    ShowGeneratorLamp();
    Vol_Base_Y = scaleTop + 91;
    for (ui::TDirectPicture* picture : {m_generatorFace, m_scaleLeft, m_scaleRight})
        picture->raise();
    ApplyHintShow();
    if (Edit_Focus->isEnabled() && Edit_Focus->focusPolicy() != Qt::NoFocus)
        Edit_Focus->setFocus();
    ShowOffDelay();
    ShowOffAction();
    UpdateNoiseMarks();
    UpdateOptionMarks();
    UpdateSPDIFMark();
    Page_Num = 0;
    UpdateSettingsPage();
    // The pictures under the pointer are right from the first paint on.
    m_pointer = m_services.cursorPos();
    ShowGeneratorFace(m_pointer);
    ShowTabFaces(m_pointer);
}

void TfmMain::PrepareUnshown() {
    FormShow();
    m_saver->TakeAsStored();
    // The window is where a stored Min_FormShow would send it, or never shows at all.
    ApplyStoredVolumes();
    First_Tick = false;
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
    m_saver->WriteMain();
}

void TfmMain::NoteFileProblem(const QString& message, bool box) {
    NoteError(message);
    if (box)
        QMetaObject::invokeMethod(
            this, [this, message] { OpenErrorBox(message); }, Qt::QueuedConnection);
}

void TfmMain::NoteError(const QString& message) {
    std::fprintf(stderr, "Murmex: %s\n", qUtf8Printable(message));
    Memo1->appendPlainText(message);
}

void TfmMain::ShowError(const QString& message) {
    if (!OpenErrorBox(message))
        NoteError(message);
}

bool TfmMain::OpenErrorBox(const QString& message) {
    if (m_errorBoxOpen || !m_services.showError)
        return false;
    const QScopedValueRollback open(m_errorBoxOpen, true);
    m_services.showError(message);
    return true;
}

QString TfmMain::RunCommand(const std::function<void()>& command) {
    QString message;
    try {
        command();
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
        NoteError(message);
    }
    emit Changed();
    return message;
}

std::int64_t MainServices::SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool TfmMain::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        PointerAt(pos() + static_cast<QHoverEvent*>(event)->position().toPoint());
        return true;
    case QEvent::HoverLeave:
        PointerAt(kNoCursor);
        return true;
    case QEvent::WindowStateChange:
        PaceTimers();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TfmMain::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        // The values as read and first shown count as stored (one the show brought into range is written at the
        // end, as before); every change from here on, a click at the first moment included, is written.
        m_saver->TakeAsStored();
    }
    // The window's own surface tells when it is taken off the screen from outside and put back.
    if (QWindow* surface = windowHandle())
        surface->installEventFilter(this);
    m_unexposed = false;
    QWidget::showEvent(event);
    PaceTimers();
}

void TfmMain::hideEvent(QHideEvent* event) {
    m_pointer = kNoCursor;
    QWidget::hideEvent(event);
    PaceTimers();
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
