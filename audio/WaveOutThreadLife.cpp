// A player's life around its playing: its start, the live-player list, the stops, the wait for its
// predecessors on the same device, and what it tells of its output.
#include "audio/WaveOutThreadPlayWL.h"

#include "platform/LibraryNoise.h"

#include <QtGlobal>

#include <chrono>
#include <thread>

namespace murmex::audio {
namespace {

using namespace std::chrono_literals;

// Never destroyed: players that outlive the program's orderly end still remove themselves from it.
struct ThreadList {
    std::mutex mutex;
    std::vector<TWOThread*> players;
};
ThreadList& WOThreadList() {
    static auto* list = new ThreadList;
    return *list;
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
    if (!m_terminated.load() && audio::ReadWave(FWave, FWaveFormat, FWaveData)) {
        WaitForPredecessors();
        if (!m_terminated.load())
            released = Play();
    }
    // What a device that would not let go may still read and write outlives the player.
    if (!released)
        KeepBuffer();
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

// Keeps the buffer and its header for life, and goes on (if at all) with a copy.
void TWOThread::KeepBuffer() {
    std::vector<std::uint8_t> copy = FWaveData;
    platform::KeepForLife(std::make_shared<std::vector<std::uint8_t>>(std::move(FWaveData)));
    platform::KeepForLife(std::shared_ptr<platform::WaveHeader>(std::move(FWaveHdr)));
    FWaveData = std::move(copy);
    FWaveHdr = std::make_unique<platform::WaveHeader>();
}

// The player tests its flags under the wake-up lock before it waits, so a wake-up cannot slip in between.
void TWOThread::Wake() {
    {
        const std::lock_guard lock(m_wakeMutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

void TWOThread::Terminate() {
    m_terminated.store(true);
    Wake();
}

void TWOThread::ShowError() {
    if (m_showError)
        m_showError(FErrorMsg);
}

void TWOThread::NoteLoss() {
    if (m_outputLost)
        return;
    m_outputLost = true;
    m_elsewhereTold = false;
    m_lostAt = platform::Sound().Now();
    Tell("was lost; trying to open it again every second", QStringLiteral("output lost: "));
}

void TWOThread::NotePlayingElsewhere(const char* where) {
    if (m_elsewhereTold)
        return;
    m_elsewhereTold = true;
    Tell(where, QStringLiteral("output elsewhere meanwhile: "));
}

void TWOThread::NoteBack() {
    Tell("is back", QStringLiteral("output back: "));
    m_outputLost = false;
    m_elsewhereTold = false;
}

// One warning on stderr, and the same news for the notice callback.
void TWOThread::Tell(const char* warning, const QString& notice) {
    {
        // Not into the silence of a sound library's probing on another thread.
        const auto held = platform::HoldStderr();
        qWarning("Murmex: the sound output \"%s\" %s.", m_chosenName.c_str(), warning);
    }
    if (m_notice)
        m_notice(notice + QString::fromStdString(m_chosenName));
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
