#include "audio/WaveOutThreadPlayWL.h"

#include "audio/WaveOutUtils.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace murmex::audio {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kEndlessLoops = 0xFFFFFFFFu;

// A stop request wakes the player at once; the end of a buffer played once is noticed within this.
// Waking every 10 ms instead would cost a looping player more than the sound itself.
constexpr auto kDoneCheckInterval = 100ms;

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

} // namespace

TWOThread::TWOThread(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError)
    : FLoop(loop), FWave(waveItem.Wave), FOutDevice(outDevice), m_showError(std::move(showError)) {}

void TWOThread::Start(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError) {
    auto* player = new TWOThread(waveItem, loop, outDevice, std::move(showError));
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
        while (!m_terminated.load() && PredecessorEnding())
            std::this_thread::sleep_for(2ms);
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
        if (!released) {
            list.kept.push_back(this);
            return;
        }
    }
    delete this; // nothing refers to a player once it has left the list
}

bool TWOThread::ReadWave() {
    return audio::ReadWave(FWave, FWaveFormat, FWaveData);
}

bool TWOThread::Play() {
    platform::WaveOut device;
    platform::MMRESULT result = device.Open(FOutDevice, FWaveFormat);
    if (result != platform::MMSYSERR_NOERROR) {
        FErrorMsg = StoreWaveOutError(result, QStringLiteral("Could not open the output device for playing: "));
        ShowError();
        return true;
    }
    // Opening can take long; a stop that came meanwhile ends the player before any sound.
    if (!m_terminated.load())
        PlayUntilStopped(device);
    const platform::MMRESULT reset = device.Reset();
    device.UnprepareHeader(FWaveHdr);
    result = device.Close();
    if (result == platform::MMSYSERR_NOERROR)
        return true;
    // A reset that failed leaves the buffer queued and the close refused for that alone: the reset's own
    // reason is the one to show.
    FErrorMsg = StoreWaveOutError(reset != platform::MMSYSERR_NOERROR ? reset : result,
                                  QStringLiteral("Error closing output device: "));
    ShowError();
    return false;
}

void TWOThread::PlayUntilStopped(platform::WaveOut& device) {
    FWaveHdr.lpData = FWaveData.data();
    FWaveHdr.dwBufferLength = static_cast<std::uint32_t>(FWaveData.size());
    FWaveHdr.dwBytesRecorded = 0;
    FWaveHdr.dwUser = 0;
    FWaveHdr.dwFlags = FLoop ? platform::WHDR_BEGINLOOP | platform::WHDR_ENDLOOP : 0;
    FWaveHdr.dwLoops = FLoop ? kEndlessLoops : 1;
    device.PrepareHeader(FWaveHdr);
    device.Write(FWaveHdr);

    std::unique_lock lock(m_wakeMutex);
    while (!m_terminated.load() && !(FWaveHdr.dwFlags.load() & platform::WHDR_DONE))
        m_wake.wait_for(lock, kDoneCheckInterval);
}

void TWOThread::Terminate() {
    m_terminated.store(true);
    { // the player tests the flag under this lock before it waits, so the wake-up cannot slip in between
        const std::lock_guard lock(m_wakeMutex);
    }
    m_wake.notify_all();
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
