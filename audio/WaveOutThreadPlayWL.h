// The looping player: one thread per start of the generator. It copies its clip's format and data,
// opens the output device, hands the device the whole clip as one buffer to repeat, and then only
// waits for a stop request (which wakes it at once) or the end of the buffer (the stream wakes it, or, on a
// stream that cannot, it looks every 100 ms);
// then it resets and closes the device and leaves the list of live players by itself. A device that
// would not stop or close may still read the player's buffer: the player then shows why, and the buffer is
// kept for the life of the process.
//
// An endless loop whose output goes away (its sound server ends, the device is removed) is closed and
// opened again every second until it is back or a stop comes; a stream that fails as soon as it is opened
// (it will not start) is opened again a second after, not at once. When a chosen output (not the default one)
// has not come back within ten seconds, the loop plays on the default output meanwhile, and goes back to
// the chosen one as soon as the sound backend says it can be opened again (platform/SoundBackend.h: the
// backend looks for it, by its key). A sound server that moves the streams of an output that went away to
// another output keeps them playing: the backend then says that the stream plays elsewhere meanwhile, until
// the output is back and the stream is moved back to it, or opened on it again. The pauses are timed by the
// backend's clock. An output the user moves the stream to in the desktop's
// mixer is the chosen one from then on. Each loss gives one warning on stderr,
// one when the loop plays elsewhere meanwhile, and one for the return, and no error shown; the same three go to the
// notice callback.
//
// Threads: players are created and asked to stop on the UI thread, which never waits for them. A
// player reaches the UI thread only through the error presenter, synchronously, and through the notice
// callback, which must not wait. The live-player list is guarded by one lock around each append, scan,
// removal and count.
#pragma once

#include "audio/WaveList.h"
#include "audio/WaveRead.h"
#include "platform/WaveOut.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace murmex::audio {

// Shows a device error to the user and returns once the user has seen it. Called on a player thread.
using ErrorPresenter = std::function<void(const QString& message)>;

// Tells the user something in passing (an output lost, played elsewhere, back). Called on a player
// thread; must return at once.
using Notice = std::function<void(const QString& message)>;

class TWOThread {
public:
    // Registers a new player in the live-player list and starts its thread. The player shares the clip's
    // image, so the item and its list may go at once. Throws std::system_error when no thread can be
    // started; the list is then as it was.
    // `title` names what plays where the desktop lists the program's sound.
    static void Start(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError,
                      Notice notice = {}, const QString& title = {});

    TWOThread(const TWOThread&) = delete;
    TWOThread& operator=(const TWOThread&) = delete;

private:
    TWOThread(const TLMDWaveListItem& waveItem, bool loop, std::int32_t outDevice, ErrorPresenter showError,
              Notice notice, const QString& title);

    void Execute();
    void Terminate();
    bool PredecessorEnding() const;
    void WaitForPredecessors();
    // Lost: the stream has ended by itself. Displaced: the chosen output is not there, but the stream plays
    // on elsewhere. ChosenBack: the chosen output can be opened again while the loop plays elsewhere.
    enum class Ending { StoppedOrDone, Lost, Displaced, ChosenBack };
    // Where the open stream plays: on the chosen output, on it though the output has gone (it plays elsewhere
    // meanwhile), or on the default output meanwhile.
    enum class Where { Chosen, Displaced, Fallback };

    // False when the device would not let go of the buffer, which it may then still read.
    bool Play();
    bool StartPlaying(platform::WaveOut& device);
    Ending PlayUntilStopped(platform::WaveOut& device);
    void FollowUsersMove(const platform::WaveOut& device);
    void ReleaseLost(std::unique_ptr<platform::WaveOut>& device);
    bool Reopen(platform::WaveOut& device);
    bool WaitUntil(std::chrono::steady_clock::time_point deadline, bool wakeable);
    void KeepBuffer();
    void Wake();
    void NoteLoss();
    void NotePlayingElsewhere(const char* where);
    void NoteBack();
    void Tell(const char* warning, const QString& notice);
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
    Notice m_notice;
    // The rest belongs to the player's thread.
    const std::string m_title;
    std::string m_chosenName;     // the output's name at start, or the one the user moved the sound to since
    std::string m_chosenKey;      // and what finds it again, wherever it is in the list
    bool m_chosenDefault = false; // the default output, wherever it is, is the chosen one
    bool m_events = false;        // the open stream wakes the player when something happens to it
    Where m_where = Where::Chosen;
    bool m_outputLost = false;    // warned of, and not back yet
    bool m_elsewhereTold = false; // playing elsewhere warned of, since the loss
    // On the sound backend's clock.
    std::chrono::steady_clock::time_point m_lostAt;
    std::chrono::steady_clock::time_point m_openedAt; // of the stream last handed the clip
    std::atomic<bool> m_chosenBack{false};            // the backend says the chosen output may be back
    std::atomic<bool> m_terminated{false};
    bool m_woken = false; // under the wake-up lock
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
