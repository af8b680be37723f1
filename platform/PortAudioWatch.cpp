// The watcher of PortAudio's outputs: see PortAudioBackend.h.
#include "platform/PortAudioBackend.h"

#include <algorithm>
#include <condition_variable>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace murmex::platform::portaudiopath {
namespace {

using namespace std::chrono_literals;
using Placement = WaveOut::Placement;

// Opening is cheap: an output is found within about this much of its return, and a stream's output missed for
// no longer.
constexpr auto kLookEvery = 1s;

struct Awaiting {
    const void* owner = nullptr;
    std::string key;
    WaveFormatEx format;
    std::function<void()> wake;
};

// Never destroyed: its thread may still be looking while the process ends.
struct Watcher {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<Watched>> streams;
    std::vector<Awaiting> awaited;
    bool running = false;

    bool Idle() const { return streams.empty() && awaited.empty(); }
};

Watcher& W() {
    static auto* watcher = new Watcher;
    return *watcher;
}

bool There(const std::string& key, const WaveFormatEx& format) {
    const int id = DeviceOfKey(key);
    return id >= -1 && !Gone(id, format);
}

// One look that finds the output not there is enough: a server behind ALSA has moved the stream away at once, and
// will not move it back. Should the look have failed for another reason, the next one finds the output there.
void Look(Watched& stream) {
    const bool there = There(stream.key, stream.format);
    const Placement where = stream.where.load();
    if (where == Placement::OnOutput && !there)
        stream.where.store(Placement::Elsewhere);
    else if (where == Placement::Elsewhere && there)
        stream.where.store(Placement::Returned);
}

void Run() {
    Watcher& w = W();
    std::unique_lock lock(w.mutex);
    while (!w.Idle()) {
        w.changed.wait_for(lock, kLookEvery);
        const std::vector<std::shared_ptr<Watched>> streams = w.streams;
        std::vector<std::pair<std::string, WaveFormatEx>> awaited;
        for (const Awaiting& a : w.awaited)
            awaited.emplace_back(a.key, a.format);
        lock.unlock();
        for (const auto& stream : streams)
            Look(*stream);
        std::vector<std::string> back;
        for (const auto& [key, format] : awaited) {
            if (There(key, format) || (RefreshFor(key) && There(key, format)))
                back.push_back(key);
        }
        lock.lock();
        for (const Awaiting& a : w.awaited) {
            if (std::find(back.begin(), back.end(), a.key) != back.end())
                a.wake();
        }
    }
    w.running = false;
}

// Under the watcher's lock.
void RunIfNeeded(Watcher& w) {
    if (w.running || w.Idle())
        return;
    try {
        std::thread(Run).detach();
        w.running = true;
    } catch (const std::system_error&) {
        // Without a thread nothing is looked after: a lost output then returns only when it is opened again.
    }
}

} // namespace

void Watch(const std::shared_ptr<Watched>& stream) {
    Watcher& w = W();
    const std::lock_guard lock(w.mutex);
    w.streams.push_back(stream);
    RunIfNeeded(w);
}

void Unwatch(const std::shared_ptr<Watched>& stream) {
    Watcher& w = W();
    const std::lock_guard lock(w.mutex);
    w.streams.erase(std::remove(w.streams.begin(), w.streams.end(), stream), w.streams.end());
}

void Await(const void* owner, const std::string& key, const WaveFormatEx& format, std::function<void()> wake) {
    Watcher& w = W();
    const std::lock_guard lock(w.mutex);
    auto& awaited = w.awaited;
    awaited.erase(std::remove_if(awaited.begin(), awaited.end(), [&](const Awaiting& a) { return a.owner == owner; }),
                  awaited.end());
    if (key.empty())
        return;
    awaited.push_back({owner, key, format, std::move(wake)});
    RunIfNeeded(w);
}

bool RefreshFor(const std::string& key) {
    struct Last {
        std::mutex mutex;
        std::optional<SoundBackend::Clock::time_point> reading;
    };
    static auto* last = new Last; // the watcher's thread may still read the list while the process ends
    const int id = DeviceOfKey(key);
    if (id < -1 || (id == -1 && !Unresolved(id)))
        return false;
    {
        const std::lock_guard lock(last->mutex);
        const auto now = SoundBackend::Clock::now();
        if (last->reading && now - *last->reading < kRefreshEvery)
            return false;
        last->reading = now;
    }
    return Refresh();
}

} // namespace murmex::platform::portaudiopath
