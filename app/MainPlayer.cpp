// The player's diagnostics panel and the start and stop of the player thread.
#include "app/Main.h"
#include "app/MediaState.h"

#include "app/Startup.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "platform/SoundBackend.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>

namespace murmex {
namespace {

template <typename Control> Control* Place(Control* control, QRect geometry) {
    control->setGeometry(geometry);
    return control;
}

QSlider* VolumeTrackBar(QWidget* parent, QRect geometry) {
    auto* bar = Place(new QSlider(Qt::Vertical, parent), geometry);
    bar->setRange(0, 100);
    bar->setInvertedAppearance(true); // the top is position 0, full volume
    bar->setTickPosition(QSlider::TicksBothSides);
    bar->setTickInterval(10);
    return bar;
}

} // namespace

void MainServices::ShowErrorBox(const QString& message) {
    QMessageBox::critical(nullptr, QStringLiteral("Murmex"), message);
}

// Lies below the window's outline and is never seen; it carries the player's own controls and log.
void TfmMain::CreateDiagnosticsPanel() {
    Panel1 = Place(new QFrame(this), {224, 648, 225, 129});
    Panel1->setFrameShape(QFrame::Panel);
    Label2 = Place(new QLabel(QStringLiteral("Уровень громкости"), Panel1), {4, 4, 101, 13});
    Label3 = Place(new QLabel(QStringLiteral("правый"), Panel1), {68, 24, 38, 13});
    Label4 = Place(new QLabel(QStringLiteral("левый"), Panel1), {8, 25, 32, 13});
    laThreadCnt = Place(new QLabel(Panel1), {116, 24, 58, 13});
    tbVolLeft = VolumeTrackBar(Panel1, {8, 41, 33, 80});
    tbVolRight = VolumeTrackBar(Panel1, {68, 41, 29, 80});
    cbLoop = Place(new QCheckBox(QStringLiteral("loop"), Panel1), {120, 4, 41, 17});
    cbLoop->setChecked(true);
    Button6 = Place(new QPushButton(QStringLiteral("Play"), Panel1), {110, 40, 50, 18});
    btStopThread = Place(new QPushButton(QStringLiteral("Stop"), Panel1), {164, 40, 50, 18});
    Memo1 = Place(new QPlainTextEdit(Panel1), {110, 60, 104, 57});
    Memo1->setMaximumBlockCount(1000); // a night of starts and stops does not grow it without end

    connect(Button6, &QPushButton::clicked, this, [this] { RunAction([this] { btPlayThreadClick(); }); });
    connect(btStopThread, &QPushButton::clicked, this, [this] { btStopThreadClick(); });
}

void TfmMain::btPlayThreadClick() {
    SyncDeviceVolume();
    Memo1->appendPlainText(QStringLiteral("start play"));
    const audio::TLMDWaveListItem& clip = WaveList_1.Items(std::int64_t(Noise_Num) - 1);
    // A player reaches the UI thread only to show an error, and waits until the user has seen it (or until it
    // is noted, while another box is open). Then the window looks whether the start has come to nothing.
    auto show = [window = QPointer<TfmMain>(this)](const QString& message) {
        if (!window)
            return;
        window->ShowError(message);
        if (window) // the box's own loop may have seen the window go
            window->m_playerErrorSeen = true;
    };
    // What becomes of the output (lost, played elsewhere, back) is noted here; the player never waits for it.
    auto note = [window = QPointer<TfmMain>(this)](const QString& message) {
        if (window)
            window->Memo1->appendPlainText(message);
    };
    // A sound server that has not answered yet names no output to play on: the player starts once it has.
    if (platform::Sound().Pending()) {
        m_startWhenAnswered = true;
        return;
    }
    // The desktop lists the sound by the noise's name.
    audio::TWOThread::Start(clip, cbLoop->isChecked(), OutputDeviceId(), PresentOnUiThread(std::move(show)),
                            PostOnUiThread(std::move(note)), fmHelp ? NoiseName(*fmHelp, Noise_Num) : QString());
    Memo1->appendPlainText(QStringLiteral("finish play"));
}

// Every live player is asked to end, not only those of the device chosen now: the output may have been
// changed while the generator played.
void TfmMain::btStopThreadClick() {
    m_startWhenAnswered = false;
    audio::StopAllWOThreads();
}

// A start made before the sound server answered plays now, on the output the server's list names; one whose
// player cannot be started leaves the generator stopped, as at a click.
void TfmMain::StartWhenAnswered() {
    if (!m_startWhenAnswered || platform::Sound().Pending())
        return;
    m_startWhenAnswered = false;
    bool started = false;
    RunAction([this, &started] {
        btPlayThreadClick();
        started = true;
    });
    if (!started && Generator_On)
        StopGenerator();
}

std::int32_t TfmMain::OutputDeviceId() const {
    return DeviceMap[0].Id;
}

} // namespace murmex
