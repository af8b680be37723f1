#include "audio/WaveOutThreadPlayWL.h"

#include "audio/WaveOutUtils.h"
#include "platform/SoundBackend.h"

namespace murmex::audio {
namespace {

using namespace std::chrono_literals;
using platform::WaveOut;

constexpr std::uint32_t kEndlessLoops = 0xFFFFFFFFu;

// A stop request wakes the player at once; on a stream that cannot wake it, the end of a buffer played once and a
// change of where it plays are noticed within this. Waking every 10 ms instead would cost more than the sound.
constexpr auto kDoneCheckInterval = 100ms;

// A lost output is tried again this often, and a stream that failed as soon as it was opened is not opened again
// sooner: the sound returns within about this much of the output's return.
constexpr auto kReopenInterval = 1s;

// How long a lost chosen output is waited for before the loop plays on the default output meanwhile.
constexpr auto kFallbackAfter = 10s;

} // namespace

bool TWOThread::Play() {
    auto device = std::make_unique<WaveOut>();
    platform::MMRESULT result = device->Open(FOutDevice, FWaveFormat, m_title);
    if (result != platform::MMSYSERR_NOERROR) {
        FErrorMsg = StoreWaveOutError(result, QStringLiteral("Could not open the output device for playing: "));
        ShowError();
        return true;
    }
    const platform::SoundOutput chosen = platform::OutputOf(FOutDevice);
    m_chosenName = chosen.name;
    m_chosenKey = chosen.key;
    m_chosenDefault = FOutDevice == platform::WAVE_MAPPER;
    // Opening can take long; a stop that came meanwhile ends the player before any sound.
    bool playing = !m_terminated.load() && StartPlaying(*device);
    while (!m_terminated.load()) {
        const Ending ending = playing ? PlayUntilStopped(*device) : Ending::Lost;
        if (ending == Ending::StoppedOrDone)
            break;
        if (ending == Ending::Displaced) {
            // The stream is still heard, wherever the server has put it: better than silence until it is back.
            NoteLoss();
            m_where = Where::Displaced;
            NotePlayingElsewhere("is not there; the sound server plays the sound on another output meanwhile");
            continue;
        }
        if (ending == Ending::Lost)
            NoteLoss();
        ReleaseLost(device);
        const bool reopened = Reopen(*device);
        if (m_where != Where::Fallback || !reopened)
            platform::Sound().AwaitOutput(this, {}, FWaveFormat, {});
        if (!reopened)
            return true;
        playing = StartPlaying(*device);
    }
    platform::Sound().AwaitOutput(this, {}, FWaveFormat, {});
    const platform::MMRESULT reset = device->Reset();
    device->UnprepareHeader(*FWaveHdr);
    result = device->Close();
    if (result == platform::MMSYSERR_NOERROR)
        return true;
    // A reset that failed leaves the buffer queued and the close refused for that alone: the reset's own
    // reason is the one to show.
    FErrorMsg = StoreWaveOutError(reset != platform::MMSYSERR_NOERROR ? reset : result,
                                  QStringLiteral("Error closing output device: "));
    ShowError();
    return false;
}

// Hands the clip to the freshly opened device. False when an endless loop's stream would not start, which
// counts as a lost output; a buffer played once simply never gets done then, and waits for the stop.
bool TWOThread::StartPlaying(WaveOut& device) {
    m_openedAt = platform::Sound().Now();
    platform::WaveHeader& header = *FWaveHdr;
    header.lpData = FWaveData.data();
    header.dwBufferLength = static_cast<std::uint32_t>(FWaveData.size());
    header.dwBytesRecorded = 0;
    header.dwUser = 0;
    header.dwFlags = FLoop ? platform::WHDR_BEGINLOOP | platform::WHDR_ENDLOOP : 0;
    header.dwLoops = FLoop ? kEndlessLoops : 1;
    device.PrepareHeader(header);
    m_events = device.SetWake([this] { Wake(); });
    if (device.Write(header) != platform::MMSYSERR_NOERROR)
        return !FLoop;
    if (m_where == Where::Fallback)
        NotePlayingElsewhere("did not come back; playing on the default output meanwhile");
    else if (m_outputLost)
        NoteBack();
    return true;
}

TWOThread::Ending TWOThread::PlayUntilStopped(WaveOut& device) {
    for (;;) {
        {
            std::unique_lock lock(m_wakeMutex);
            const auto over = [this] {
                return m_terminated.load() || (FWaveHdr->dwFlags.load() & platform::WHDR_DONE);
            };
            if (over())
                return Ending::StoppedOrDone;
            if (m_events)
                m_wake.wait(lock, [&] { return m_woken || over(); });
            else
                m_wake.wait_for(lock, kDoneCheckInterval);
            m_woken = false;
        }
        // Not under the wake-up lock: a stop on the interface thread must never wait for a sound call.
        if (!FLoop || m_terminated.load())
            continue;
        FollowUsersMove(device);
        if (device.Lost())
            return Ending::Lost;
        const WaveOut::Placement placement = device.WhereItPlays();
        if (m_where == Where::Chosen && placement == WaveOut::Placement::Elsewhere)
            return Ending::Displaced;
        if (m_where == Where::Displaced && placement == WaveOut::Placement::OnOutput) {
            m_where = Where::Chosen; // the server has moved it back
            NoteBack();
        }
        if ((m_where == Where::Displaced && placement == WaveOut::Placement::Returned) ||
            (m_where == Where::Fallback && m_chosenBack.exchange(false)))
            return Ending::ChosenBack;
    }
}

// An output the user moves the sound to in the desktop's mixer is the chosen one from then on, as it is for the
// window.
void TWOThread::FollowUsersMove(const WaveOut& device) {
    const std::string key = device.MovedByUser();
    if (key.empty() || key == m_chosenKey)
        return;
    m_chosenKey = key;
    m_chosenName = platform::OutputOfKey(key).name;
    m_chosenDefault = false;
}

// The dead stream is let go of at once. When it would not close, the device may still read the buffer and
// write its header: both are kept for life, and playing goes on from a copy.
void TWOThread::ReleaseLost(std::unique_ptr<WaveOut>& device) {
    device->Reset();
    device->UnprepareHeader(*FWaveHdr);
    if (device->Close() == platform::MMSYSERR_NOERROR)
        return;
    device = std::make_unique<WaveOut>(); // the old one keeps its stream for life, see ~WaveOut
    KeepBuffer();
}

// Tries the chosen output a second after the last open, then every second and whenever the backend says it may
// be back; a chosen output lost for long enough gives way to the default output meanwhile, and is awaited still.
// False when a stop came first.
bool TWOThread::Reopen(WaveOut& device) {
    platform::SoundBackend& sound = platform::Sound();
    if (!WaitUntil(m_openedAt + kReopenInterval, false))
        return false;
    sound.AwaitOutput(this, m_chosenKey, FWaveFormat, [this] {
        m_chosenBack.store(true);
        Wake();
    });
    for (;;) {
        if (m_terminated.load())
            return false;
        m_chosenBack.store(false);
        if (device.OpenOutput(m_chosenKey, FWaveFormat, m_title) == platform::MMSYSERR_NOERROR) {
            m_where = Where::Chosen;
            return true;
        }
        if (!m_chosenDefault && sound.Now() - m_lostAt >= kFallbackAfter && !m_terminated.load() &&
            device.Open(platform::WAVE_MAPPER, FWaveFormat, m_title) == platform::MMSYSERR_NOERROR) {
            m_where = Where::Fallback;
            return true;
        }
        if (!WaitUntil(sound.Now() + kReopenInterval, true))
            return false;
    }
}

// Sleeps on the backend's clock until `deadline`, a stop, or (when `wakeable`) any other wake-up or news of the
// chosen output. False on a stop.
bool TWOThread::WaitUntil(platform::SoundBackend::Clock::time_point deadline, bool wakeable) {
    const platform::SoundBackend& sound = platform::Sound();
    std::unique_lock lock(m_wakeMutex);
    m_woken = false;
    while (!m_terminated.load() && !(wakeable && (m_woken || m_chosenBack.load())) && sound.Now() < deadline)
        sound.WaitUntil(m_wake, lock, deadline);
    m_woken = false;
    return !m_terminated.load();
}

} // namespace murmex::audio
