// The looping player: one thread per start of the generator. It copies its clip's format and data,
// opens the output device, hands the device the whole clip as one buffer to repeat, and then only
// waits for a stop request (which wakes it at once) or the end of the buffer (looked at every 100 ms);
// then it resets and closes the device and leaves the list of live players by itself. A device that
// would not stop or close may still read the player's buffer: the player then shows why and is never
// freed. An endless loop whose output goes away (its sound server ends, the device is removed) is
// closed and opened again every second until it is back or a stop comes, with one warning on stderr
// for the loss and one for the return, and no error shown.
//
// Threads: players are created and asked to stop on the UI thread, which never waits for them. A
// player reaches the UI thread only through the error presenter, synchronously. The live-player list
// is guarded by one lock around each append, scan, removal and count.
#pragma once

#include "audio/WaveList.h"
#include "audio/WaveRead.h"
#include "platform/WaveOut.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace murmex::audio {

// Shows a device error to the user and returns once the user has seen it. Called on a player thread.
using ErrorPresenter = std::function<void(const QString& message)>;

class TWOThread {
public:
    // Registers a new player in the live-player list and starts its thread. The player shares the clip's
    // image, so the item and its list may go at once. Throws std::system_error when no thread can be
    // started; the list is then as it was.
    static void Start(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError);

    TWOThread(const TWOThread&) = delete;
    TWOThread& operator=(const TWOThread&) = delete;

private:
    TWOThread(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError);

    void Execute();
    void Terminate();
    bool PredecessorEnding() const;
    bool ReadWave();
    enum class Ending { StoppedOrDone, Lost };

    // False when the device would not let go of the buffer, which it may then still read.
    bool Play();
    Ending PlayUntilStopped(platform::WaveOut& device);
    void ReleaseLost(std::unique_ptr<platform::WaveOut>& device);
    bool Reopen(platform::WaveOut& device);
    void ShowError();

    // Asks the live players of `deviceId`, or all of them, to end.
    static void TerminateAll(const std::optional<std::int32_t>& deviceId);
    friend void StopWOThreads(std::int32_t deviceId);
    friend void StopAllWOThreads();

    const bool FLoop;
    const TLMDWave FWave; // shares the clip's image, which outlives the clip list this way
    std::vector<std::uint8_t> FWaveData;
    WaveFormatRecord FWaveFormat;
    // On the heap: a lost stream that would not close keeps it, and playing goes on with a new one.
    std::unique_ptr<platform::WaveHeader> FWaveHdr = std::make_unique<platform::WaveHeader>();
    QString FErrorMsg;
    const std::int32_t FOutDevice;
    ErrorPresenter m_showError;
    bool m_outputLost = false; // warned of, and not back yet
    std::atomic<bool> m_terminated{false};
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
};

// Asks every live player of `deviceId` to end; does not wait.
void StopWOThreads(std::int32_t deviceId);

// Asks every live player to end, whatever its device (program end).
void StopAllWOThreads();

// Number of live players.
int WOThreadCount();

// Waits at most `timeoutMs` for the live-player list to empty; true if it did.
bool WaitForNoWOThreads(int timeoutMs);

} // namespace murmex::audio
