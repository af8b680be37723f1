// The work timer: it does the work that waits for the window's first active moment, keeps the pictures under
// the pointer, the generator face, the sliders and the tabs up to date, and counts the auto-off's playing time;
// how often it ticks is app/WorkTick.h's to say.
#include "app/Main.h"

#include "app/AutoOff.h"
#include "app/Generator.h"
#include "app/Hover.h"
#include "app/SettingsStore.h"
#include "app/WorkTick.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "audio/WaveOutUtils.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QLabel>
#include <QPointer>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace murmex {
namespace {

// How long the suspend waits at most for the players to close their outputs (one still opening its output
// finishes that first); the user is asleep, and the window may stand still for that moment.
constexpr int kPlayersGoneMs = 2000;

std::uint16_t FadedVolume(const QSlider& bar, double share) {
    return std::uint16_t(std::lround(audio::TrackBarToVolume(bar.value(), bar.minimum(), bar.maximum()) * share));
}

} // namespace

void TfmMain::Timer_WorkTimer() {
    if (First_Tick && isActiveWindow()) {
        if (Min_FormShow)
            Sb_MinClick();
        ApplyStoredVolumes();
        First_Tick = false;
    }
    CountOff();
    ShowHover();
    laThreadCnt->setText(QStringLiteral("Количество потоков: %1").arg(audio::WOThreadCount()));
    StopIfStartFailed();
    PaceTimers();
}

void TfmMain::PaceTimers() {
    const int ms = WorkTickMs({WindowShown(), Generator_On, Off_Count, Off_1, m_offRequestedAt});
    if (ms == 0)
        Timer_Work->stop();
    else if (!Timer_Work->isActive() || Timer_Work->interval() != ms)
        Timer_Work->start(ms);
    // The level lamps are seen only with the window: while it is away (in the tray, minimised, off the screen)
    // or the generator is stopped, their timer rests. A start from the tray menu leaves it resting until then.
    if (!Generator_On || !WindowShown())
        Timer_Indicator->stop();
    else if (!Timer_Indicator->isActive())
        Timer_Indicator->start();
}

void TfmMain::PointerAt(QPoint cursor) {
    m_pointer = cursor;
    ShowHover();
}

// Controls that appear or move under a pointer that stands still light up at the next tick.
void TfmMain::ShowHover() {
    const QPoint cursor = WindowShown() ? m_pointer : kNoCursor;
    ShowTitleHover(cursor);
    ShowGeneratorFace(cursor);
    ShowOffArrowHover(cursor);
    SliderSteps(cursor);
    ShowTabFaces(cursor);
}

// The title buttons and the language arrows.
void TfmMain::ShowTitleHover(QPoint cursor) {
    const std::pair<ui::TLMDLImage*, HoverFaces> buttons[] = {
        {Sb_Help, kHelpFaces},   {Sb_Internet, kInternetFaces}, {Sb_Min, kMinFaces},
        {Sb_Close, kCloseFaces}, {Sb_Lang_Up, kUpArrowFaces},   {Sb_Lang_Down, kDownArrowFaces},
    };
    for (const auto& [button, faces] : buttons)
        button->SetListIndex(HoverPicture(faces, Hovered(button, cursor)));
}

void TfmMain::ShowOffArrowHover(QPoint cursor) {
    const std::pair<ui::TLMDLImage*, HoverFaces> arrows[] = {
        {Sb_Off_1_Up, kUpArrowFaces},
        {Sb_Off_1_Down, kDownArrowFaces},
        {Sb_Off_2_Up, kUpArrowFaces},
        {Sb_Off_2_Down, kDownArrowFaces},
    };
    for (const auto& [arrow, faces] : arrows)
        arrow->SetListIndex(HoverPicture(faces, Hovered(arrow, cursor)));
}

// Counts only while the generator plays, the time played since the last count in whole ticks (the rest waits
// for the next), so that a resting timer counts as a busy one; the action fires when the count reaches the delay.
void TfmMain::CountOff() {
    const std::int64_t now = m_services.steadyMs();
    if (!Generator_On) {
        m_countedTo = now;
        return;
    }
    const std::int64_t ticks = std::max<std::int64_t>(0, (now - m_countedTo) / kBusyTickMs);
    m_countedTo += ticks * kBusyTickMs;
    const OffTick tick = CountOffTick(Off_Count, Off_1, ticks);
    Off_Count = tick.count;
    if (tick.fire && Off_2 == kOffActionShutdown)
        m_offRequestedAt = Off_Count;
    m_offRequestedAt = KeptRequest(Off_Count, m_offRequestedAt);
    FadeOut();
    if (!tick.fire)
        return;
    switch (Off_2) {
    case kOffActionClose:
        close();
        break;
    case kOffActionShutdown:
        ShutdownComputer();
        break;
    case kOffActionSuspend:
        SuspendComputer();
        break;
    }
}

// The output volume alone goes down, and after a refused power-off comes back: the sliders, their numbers and
// the stored values stay the user's. A fade the user has cancelled stays off until the count has left the
// fade's ticks.
void TfmMain::FadeOut() {
    const double share = FadeShare(Off_Count, Off_1, m_offRequestedAt);
    if (share == 1.0)
        m_fadeCancelled = false;
    if (share < 1.0 && !m_fadeCancelled) {
        m_fading = true;
        audio::SetWaveOutVolume(FadedVolume(*tbVolLeft, share), FadedVolume(*tbVolRight, share));
    } else if (m_fading) {
        m_fading = false;
        tbVolLeftChange();
    }
}

// A stop, a move of a slider or another delay during the fade ends it, and the user's volume is back at once.
void TfmMain::CancelFade() {
    if (m_fading)
        tbVolLeftChange();
}

// The power-off may end this program with the session at any moment, and a suspended computer may never wake
// up, so what the user chose is kept before either is asked for, in the same way an orderly end keeps it.
void TfmMain::KeepSettings() {
    SettingsStore::WriteLanguage(Lang_Num);
    SettingsStore::WriteMainSettings(*this);
}

void TfmMain::ShutdownComputer() {
    KeepSettings();
    if (m_services.powerOff)
        m_services.powerOff();
}

// The stop comes first: the sleeper must not wake to the noise, the idle inhibitor that would hold the suspend
// off is given back with it, and the next start counts from 0.
void TfmMain::SuspendComputer() {
    // The noise ends in the fade's silence: the players are gone before the stop puts the user's volume back,
    // which would otherwise be heard at full for a moment as the computer goes to sleep.
    btStopThreadClick();
    audio::WaitForNoWOThreads(kPlayersGoneMs);
    StopGenerator();
    Off_Count = 0;
    KeepSettings();
    if (!m_services.suspend)
        return;
    m_services.suspend([window = QPointer<TfmMain>(this)](const QString& why) {
        if (window)
            window->NoteError(QStringLiteral("The computer could not be suspended: %1").arg(why.simplified()));
    });
}

// The face is drawn anew only when it changes: the picture list never changes, so the face shown is
// always the one the state gives, within one tick.
void TfmMain::ShowGeneratorFace(QPoint cursor) {
    Generator_Hover = Hovered(Sb_Generator, cursor);
    const int face = GeneratorFaceIndex(Lang_Num, Generator_On, Generator_Hover, Generator_Pressed);
    if (!m_generatorFace->Drawn() || m_generatorFace->Shown() != face)
        m_generatorFace->Draw(BitmapList_Btn, face);
}

// A start whose player has shown an error and is gone has come to nothing: the generator shows stopped
// again instead of running with nothing to hear.
void TfmMain::StopIfStartFailed() {
    if (!m_playerErrorSeen)
        return;
    if (Generator_On && audio::WOThreadCount() > 0)
        return;
    m_playerErrorSeen = false;
    if (Generator_On)
        StopGenerator();
}

} // namespace murmex
