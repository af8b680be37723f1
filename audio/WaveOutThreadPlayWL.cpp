#include "audio/WaveOutThreadPlayWL.h"

#include "audio/WaveOutUtils.h"
#include "platform/SoundBackend.h"

#include <QtGlobal>

#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

namespace murmex::audio {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kEndlessLoops = 0xFFFFFFFFu;

// A stop request wakes the player at once; the end of a buffer played once is noticed within this.
// Waking every 10 ms instead would cost a looping player more than the sound itself.
constexpr auto kDoneCheckInterval = 100ms;

// A lost output is looked for again this often: opening is cheap, and the sound returns within about this
// much of the output's return. A chosen output is looked for as often while the loop plays on it or
// elsewhere, and a stream that failed as soon as it was opened is not opened again sooner.
constexpr auto kReopenInterval = 1s;

// How long a lost chosen output is waited for before the loop plays on the default output meanwhile.
constexpr auto kFallbackAfter = 10s;

// Reading the device list again is slow; a lost output that cannot be opened has it read at most this often.
constexpr auto kRefreshInterval = 5s;

// Never destroyed: players that outlive the program's orderly end still remove themselves from it.
struct ThreadList {
    std::mutex mutex;
    std::vector<TWOThread*> players;
    // Players whose device would not let go of their buffer: never freed, for the device may still read it.
    std::vector<TWOThread*> kept;
};
ThreadList& WOThreadList() {
    static auto* list = new ThreadList;
    return *list;
}

// What a stream that would not close may still read and write, kept until the process ends.
void KeepForDevice(std::vector<std::uint8_t>&& data, std::unique_ptr<platform::WaveHeader>&& header) {
    struct Kept {
        std::mutex mutex;
        std::vector<std::vector<std::uint8_t>> data;
        std::vector<std::unique_ptr<platform::WaveHeader>> headers;
    };
    static auto* kept = new Kept;
    const std::lock_guard lock(kept->mutex);
    kept->data.push_back(std::move(data));
    kept->headers.push_back(std::move(header));
}

platform::SoundOutput OutputOf(int deviceId) {
    if (deviceId == platform::WAVE_MAPPER)
        return platform::Sound().DefaultOutput();
    const std::vector<platform::SoundOutput> outputs = platform::Sound().Outputs();
    if (deviceId < 0 || deviceId >= static_cast<int>(outputs.size()))
        return {};
    return outputs[static_cast<std::size_t>(deviceId)];
}

std::string KeyOf(int deviceId) {
    return OutputOf(deviceId).key;
}

// The device id whose key is `key` now, or -2 when none is listed.
int IdOf(const std::string& key) {
    const std::vector<platform::SoundOutput> outputs = platform::Sound().Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].key == key)
            return static_cast<int>(i);
    }
    return -2;
}

} // namespace

TWOThread::TWOThread(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError,
                     Notice notice, const QString& title)
    : FLoop(loop), FWave(waveItem.Wave), FOutDevice(outDevice), m_showError(std::move(showError)),
      m_notice(std::move(notice)), m_title(title.toStdString()) {}

void TWOThread::Start(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError,
                      Notice notice, const QString& title) {
    auto* player = new TWOThread(waveItem, loop, outDevice, std::move(showError), std::move(notice), title);
    ThreadList& list = WOThreadList();
    {
        const std::lock_guard lock(list.mutex);
        list.players.push_back(player);
    }
    try {
        std::thread(&TWOThread::Execute, player).detach();
    } catch (...) {
        {
            const std::lock_guard lock(list.mutex);
            list.players.pop_back();
        }
        delete player;
        throw;
    }
}

// True while a player started before this one on the same device has been asked to stop but has not
// closed the device yet.
bool TWOThread::PredecessorEnding() const {
    ThreadList& list = WOThreadList();
    const std::lock_guard lock(list.mutex);
    for (const TWOThread* player : list.players) {
        if (player == this)
            return false;
        if (player->FOutDevice == FOutDevice && player->m_terminated.load())
            return true;
    }
    return false;
}

void TWOThread::Execute() {
    // A device that is being let go is not opened again until it is free: some devices take only one
    // stream, and a sound server refuses a burst of connections. A player asked to stop before it has
    // opened the device has nothing to play, and does not even read its clip.
    bool released = true;
    if (!m_terminated.load() && ReadWave()) {
        WaitForPredecessors();
        if (!m_terminated.load())
            released = Play();
    }
    ThreadList& list = WOThreadList();
    {
        const std::lock_guard lock(list.mutex);
        for (auto it = list.players.rbegin(); it != list.players.rend(); ++it) {
            if (*it == this) {
                list.players.erase(std::next(it).base());
                break;
            }
        }
        // The players started after this one on its device may be waiting for it to let go.
        for (TWOThread* player : list.players) {
            if (player->FOutDevice == FOutDevice)
                player->Wake();
        }
        if (!released) {
            list.kept.push_back(this);
            return;
        }
    }
    delete this; // nothing refers to a player once it has left the list
}

// Sleeps until no predecessor is ending or a stop comes: a predecessor may be showing an error box for as
// long as the user leaves it open. A leaving player wakes the others of its device.
void TWOThread::WaitForPredecessors() {
    while (!m_terminated.load() && PredecessorEnding()) {
        std::unique_lock lock(m_wakeMutex);
        m_wake.wait(lock, [this] { return m_woken || m_terminated.load(); });
        m_woken = false;
    }
}

bool TWOThread::ReadWave() {
    return audio::ReadWave(FWave, FWaveFormat, FWaveData);
}

bool TWOThread::Play() {
    auto device = std::make_unique<platform::WaveOut>();
    platform::MMRESULT result = device->Open(FOutDevice, FWaveFormat, m_title);
    // The device list may have been read while the output was away: then it is read again first.
    if (result != platform::MMSYSERR_NOERROR && platform::Sound().Unresolved(KeyOf(FOutDevice)) &&
        RefreshUnlessStopped())
        result = device->Open(FOutDevice, FWaveFormat, m_title);
    if (result != platform::MMSYSERR_NOERROR) {
        FErrorMsg = StoreWaveOutError(result, QStringLiteral("Could not open the output device for playing: "));
        ShowError();
        return true;
    }
    const platform::SoundOutput chosen = OutputOf(FOutDevice);
    m_chosenName = chosen.name;
    m_chosenKey = chosen.key;
    m_chosenDefault = FOutDevice == platform::WAVE_MAPPER;
    m_lastLook = std::chrono::steady_clock::now();
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
        if (!Reopen(*device))
            return true;
        playing = StartPlaying(*device);
    }
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
bool TWOThread::StartPlaying(platform::WaveOut& device) {
    m_openedAt = std::chrono::steady_clock::now();
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
    if (m_where == Where::Fallback) {
        NotePlayingElsewhere("did not come back; playing on the default output meanwhile");
    } else if (m_outputLost) {
        Tell("is back", QStringLiteral("output back: "));
        m_outputLost = false;
        m_elsewhereTold = false;
    }
    return true;
}

TWOThread::Ending TWOThread::PlayUntilStopped(platform::WaveOut& device) {
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
        if (device.Lost())
            return Ending::Lost;
        const platform::WaveOut::Placement placement = device.WhereItPlays();
        if (placement != platform::WaveOut::Placement::Unknown) {
            // The stream says where it plays, and the server moves it back by itself.
            FollowUsersMove(device);
            if (m_where == Where::Chosen && placement == platform::WaveOut::Placement::Elsewhere)
                return Ending::Displaced;
            if (m_where == Where::Displaced && placement == platform::WaveOut::Placement::OnOutput) {
                m_where = Where::Chosen;
                Tell("is back", QStringLiteral("output back: "));
                m_outputLost = false;
                m_elsewhereTold = false;
            }
            if (m_where == Where::Fallback && LookForChosen())
                return Ending::ChosenBack;
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (FOutDevice == platform::WAVE_MAPPER || now - m_lastLook < kReopenInterval)
            continue;
        m_lastLook = now;
        // One look that finds the output not there is enough: the server has moved the stream away at once,
        // and will not move it back even if the output returns before the next look. Should the look have
        // failed for another reason, the next one finds the output there, and the loop moves back to it.
        const bool there = LookForChosen();
        if (m_where == Where::Chosen && !there)
            return Ending::Displaced;
        if (m_where != Where::Chosen && there)
            return Ending::ChosenBack;
    }
}

// An output the user moves the sound to in the desktop's mixer is the chosen one from then on, as it is for the
// window.
void TWOThread::FollowUsersMove(const platform::WaveOut& device) {
    const std::string key = device.MovedByUser();
    if (key.empty() || key == m_chosenKey)
        return;
    m_chosenKey = key;
    m_chosenName = OutputOf(IdOf(key)).name;
    m_chosenDefault = false;
}

// Whether the chosen output could be opened now (or is only in use).
bool TWOThread::LookForChosen() {
    return !platform::WaveOut::Gone(ChosenId(), FWaveFormat);
}

// The chosen output's id now: the list may have been read again since the start, and the output moved in it.
int TWOThread::ChosenId() const {
    if (OutputOf(FOutDevice).key == m_chosenKey)
        return FOutDevice;
    return IdOf(m_chosenKey);
}

// The player tests its flags under the wake-up lock before it waits, so a wake-up cannot slip in between.
void TWOThread::Wake() {
    {
        const std::lock_guard lock(m_wakeMutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

// The dead stream is let go of at once. When it would not close, the device may still read the buffer and
// write its header: both are left to it for good, and playing goes on from a copy.
void TWOThread::ReleaseLost(std::unique_ptr<platform::WaveOut>& device) {
    device->Reset();
    device->UnprepareHeader(*FWaveHdr);
    if (device->Close() == platform::MMSYSERR_NOERROR)
        return;
    device.reset(); // keeps the stream's device for good, see ~WaveOut
    std::vector<std::uint8_t> copy = FWaveData;
    KeepForDevice(std::move(FWaveData), std::move(FWaveHdr));
    FWaveData = std::move(copy);
    FWaveHdr = std::make_unique<platform::WaveHeader>();
    device = std::make_unique<platform::WaveOut>();
}

// Tries the chosen output at once, or a second after the last open when that stream failed sooner, and then
// every second; a chosen output lost for long enough gives way to the default output meanwhile. False when a
// stop came first.
bool TWOThread::Reopen(platform::WaveOut& device) {
    const auto soonest = m_openedAt + kReopenInterval;
    if (const auto now = std::chrono::steady_clock::now(); now < soonest && !WaitUnlessStopped(soonest - now))
        return false;
    for (;;) {
        if (m_terminated.load())
            return false;
        if (OpenChosen(device)) {
            m_where = Where::Chosen;
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!m_chosenDefault && now - m_lostAt >= kFallbackAfter && !m_terminated.load() &&
            device.Open(platform::WAVE_MAPPER, FWaveFormat, m_title) == platform::MMSYSERR_NOERROR) {
            m_where = Where::Fallback;
            m_lastLook = now;
            return true;
        }
        if (!WaitUnlessStopped(kReopenInterval))
            return false;
    }
}

// An output that came back may sit elsewhere in the device list: when a chosen output cannot be opened where
// it was, or the default output was missing from the last reading, the list is read again now and then
// (only while no stream is open in the program at all).
bool TWOThread::OpenChosen(platform::WaveOut& device) {
    if (device.Open(ChosenId(), FWaveFormat, m_title) == platform::MMSYSERR_NOERROR)
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastRefresh < kRefreshInterval || m_terminated.load() ||
        (FOutDevice == platform::WAVE_MAPPER && !platform::Sound().Unresolved(KeyOf(FOutDevice))))
        return false;
    m_lastRefresh = now;
    return RefreshUnlessStopped() && device.Open(FOutDevice, FWaveFormat, m_title) == platform::MMSYSERR_NOERROR;
}

// Reading the list is slow (seconds, on a loaded machine), and a stop must not wait for it: it is read on a
// thread of its own, which finishes it should the player have gone meanwhile. True when it was read before a
// stop came.
bool TWOThread::RefreshUnlessStopped() {
    struct Reading {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<bool> result;
    };
    auto reading = std::make_shared<Reading>();
    try {
        std::thread([reading] {
            const bool read = platform::Sound().ReadOutputsAgain();
            {
                const std::lock_guard lock(reading->mutex);
                reading->result = read;
            }
            reading->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return platform::Sound().ReadOutputsAgain() && !m_terminated.load();
    }
    std::unique_lock lock(reading->mutex);
    while (!reading->result && !m_terminated.load())
        reading->done.wait_for(lock, kDoneCheckInterval);
    return reading->result.value_or(false) && !m_terminated.load();
}

bool TWOThread::WaitUnlessStopped(std::chrono::steady_clock::duration interval) {
    std::unique_lock lock(m_wakeMutex);
    return !m_wake.wait_for(lock, interval, [this] { return m_terminated.load(); });
}

void TWOThread::NoteLoss() {
    if (m_outputLost)
        return;
    m_outputLost = true;
    m_elsewhereTold = false;
    m_lostAt = std::chrono::steady_clock::now();
    Tell("was lost; trying to open it again every second", QStringLiteral("output lost: "));
}

void TWOThread::NotePlayingElsewhere(const char* where) {
    if (m_elsewhereTold)
        return;
    m_elsewhereTold = true;
    Tell(where, QStringLiteral("output elsewhere meanwhile: "));
}

// One warning on stderr, and the same news for the notice callback.
void TWOThread::Tell(const char* warning, const QString& notice) {
    qWarning("Murmex: the sound output \"%s\" %s.", m_chosenName.c_str(), warning);
    if (m_notice)
        m_notice(notice + QString::fromStdString(m_chosenName));
}

void TWOThread::Terminate() {
    m_terminated.store(true);
    Wake();
}

void TWOThread::ShowError() {
    if (m_showError)
        m_showError(FErrorMsg);
}

void TWOThread::TerminateAll(const std::optional<std::int32_t>& deviceId) {
    ThreadList& list = WOThreadList();
    const std::lock_guard lock(list.mutex);
    for (TWOThread* player : list.players) {
        if (!deviceId || player->FOutDevice == *deviceId)
            player->Terminate();
    }
}

void StopWOThreads(std::int32_t deviceId) {
    TWOThread::TerminateAll(deviceId);
}

void StopAllWOThreads() {
    TWOThread::TerminateAll(std::nullopt);
}

int WOThreadCount() {
    ThreadList& list = WOThreadList();
    const std::lock_guard lock(list.mutex);
    return static_cast<int>(list.players.size());
}

bool WaitForNoWOThreads(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (WOThreadCount() > 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

} // namespace murmex::audio
