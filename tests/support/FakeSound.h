// A sound backend driven by the test: outputs that come and go, streams that end, move or will not start, and a
// clock that moves only when the test says. Put in place with platform::UseSoundBackend() before anything plays,
// in a fresh process. Header-only; any thread.
#pragma once

#include "platform/SoundBackend.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace murmex::test {

class FakeSound final : public platform::SoundBackend {
public:
    static constexpr platform::MMRESULT kRefused = 0x30001;

    struct Opening {
        std::string key;
        Clock::time_point at;
    };

    // `outputs` are shown in this order after the default entry, and are there at first.
    explicit FakeSound(std::vector<std::string> outputs) {
        m_outputs.push_back({platform::kDefaultOutputKey, "Default"});
        for (const std::string& key : outputs)
            m_outputs.push_back({key, key});
        for (const auto& output : m_outputs)
            m_there[output.key] = true;
    }

    // --- What the test does.

    // The output goes: its streams end (lost) or, with `displaced`, play on elsewhere.
    void Remove(const std::string& key, bool displaced = false) {
        Change(key, false, [&](Stream& s) {
            if (displaced)
                s.where = platform::WaveOut::Placement::Elsewhere;
            else
                s.ended = true;
        });
    }
    // The output is back: a stream displaced from it is moved back (or, with `reopen`, only told that it may be
    // opened there again), and whoever awaits it hears of it.
    void Return(const std::string& key, bool reopen = false) {
        Change(key, true, [&](Stream& s) {
            if (s.where == platform::WaveOut::Placement::Elsewhere)
                s.where = reopen ? platform::WaveOut::Placement::Returned : platform::WaveOut::Placement::OnOutput;
        });
        const std::lock_guard lock(m_mutex);
        for (const auto& [owner, awaited] : m_awaited) {
            if (awaited.first == key)
                awaited.second();
        }
    }
    // The user moves every stream to `key` in the desktop's mixer: the streams, the program and the change observer
    // hear of it as a sound server tells them.
    void MoveByUser(const std::string& key) {
        platform::TakeProgramOutput(key);
        {
            const std::lock_guard lock(m_mutex);
            for (Stream* s : m_streams) {
                s->key = key;
                s->moved = key;
                s->Wake();
            }
        }
        const std::lock_guard lock(m_observerMutex);
        if (m_observer)
            m_observer();
    }
    // Streams opened from now on refuse to start.
    void RefuseStarts(bool refuse) { m_refuseStarts.store(refuse); }
    void Advance(Clock::duration by) {
        const std::lock_guard lock(m_pauseMutex);
        m_now.fetch_add(by.count());
        m_pause.reset();
    }

    // --- What the test looks at.

    std::vector<Opening> Openings() const {
        const std::lock_guard lock(m_mutex);
        return m_openings;
    }
    // The keys of the streams open now, and of those among them that were handed a buffer.
    std::vector<std::string> Open(bool playing = false) const {
        const std::lock_guard lock(m_mutex);
        std::vector<std::string> keys;
        for (const Stream* s : m_streams) {
            if (!playing || s->played.load())
                keys.push_back(s->key);
        }
        return keys;
    }
    // Waits (in real time, at most `timeoutMs`) until `condition` holds.
    template <typename Condition> static bool Eventually(Condition condition, int timeoutMs = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    // Waits (as Eventually) until the only stream open is on `key` and was handed a buffer.
    bool PlaysOnlyOn(const std::string& key) const {
        return Eventually([&] { return Open() == std::vector{key} && Open(true) == std::vector{key}; });
    }
    // The end of the pause a player sleeps in now, once it sleeps, measured from the fake clock's start.
    std::optional<Clock::duration> Pause(int timeoutMs = 10000) const {
        std::optional<Clock::duration> pause;
        Eventually(
            [&] {
                const std::lock_guard lock(m_pauseMutex);
                pause = m_pause;
                return pause.has_value();
            },
            timeoutMs);
        return pause;
    }
    Clock::duration Elapsed() const { return Clock::duration(m_now.load()); }

    // --- The backend.

    std::vector<platform::SoundOutput> Outputs() const override {
        const std::lock_guard lock(m_mutex);
        return m_outputs;
    }
    platform::SoundOutput DefaultOutput() const override { return Outputs().front(); }
    bool Listed(const std::string& key) const override {
        const std::lock_guard lock(m_mutex);
        return m_there.count(key) > 0;
    }
    bool CanOpen(const std::string& key, const platform::WaveFormatEx&) override {
        const std::lock_guard lock(m_mutex);
        return m_there.count(key) && m_there.at(key);
    }
    std::unique_ptr<platform::WaveOut::Device> Open(const std::string& key, const platform::WaveFormatEx& format,
                                                    const std::string&, platform::MMRESULT& error) override {
        const std::lock_guard lock(m_mutex);
        m_openings.push_back({key, Now()});
        if (!m_there.count(key) || !m_there.at(key)) {
            error = kRefused;
            return nullptr;
        }
        auto stream = std::make_unique<Stream>(*this, key, m_refuseStarts.load());
        stream->inChannels = format.nChannels;
        m_streams.push_back(stream.get());
        return stream;
    }
    std::string ErrorText(platform::MMRESULT code) const override {
        return code == kRefused ? "The fake output is not there." : "";
    }
    int OpenStreams() const override { return static_cast<int>(Open().size()); }
    void SetChangeObserver(std::function<void()> observer) override {
        const std::lock_guard lock(m_observerMutex);
        m_observer = std::move(observer);
    }
    void AwaitOutput(const void* owner, const std::string& key, const platform::WaveFormatEx&,
                     std::function<void()> wake) override {
        const std::lock_guard lock(m_mutex);
        if (key.empty())
            m_awaited.erase(owner);
        else
            m_awaited[owner] = {key, std::move(wake)};
    }
    Clock::time_point Now() const override { return Clock::time_point(Clock::duration(m_now.load())); }
    // Sleeps briefly in real time: the player looks at the fake clock again, which only the test moves.
    void WaitUntil(std::condition_variable& condition, std::unique_lock<std::mutex>& lock,
                   Clock::time_point deadline) const override {
        {
            const std::lock_guard own(m_pauseMutex);
            m_pause = deadline - Clock::time_point();
        }
        condition.wait_for(lock, std::chrono::milliseconds(2));
    }

private:
    struct Stream final : platform::WaveOut::Device {
        Stream(FakeSound& sound, std::string key, bool refuseStart)
            : sound(sound), key(std::move(key)), refuseStart(refuseStart) {}
        platform::MMRESULT Play(platform::WaveHeader& queued, std::uint64_t) override {
            header = &queued;
            played.store(!refuseStart);
            return refuseStart ? kRefused : platform::MMSYSERR_NOERROR;
        }
        platform::MMRESULT Stop() override { return platform::MMSYSERR_NOERROR; }
        platform::MMRESULT Release() override {
            const std::lock_guard lock(sound.m_mutex);
            auto& streams = sound.m_streams;
            streams.erase(std::remove(streams.begin(), streams.end(), this), streams.end());
            return platform::MMSYSERR_NOERROR;
        }
        bool Ended() const override { return ended.load() && platform::Queued(header); }
        platform::WaveOut::Placement Where() const override { return where.load(); }
        std::string MovedByUser() const override {
            const std::lock_guard lock(sound.m_mutex);
            return moved;
        }
        bool SetWake(std::function<void()> w) override {
            const std::lock_guard lock(sound.m_mutex);
            wake = std::move(w);
            return true;
        }
        void Wake() { // under the fake's lock
            if (wake)
                wake();
        }

        FakeSound& sound;
        std::string key;
        std::string moved;
        const bool refuseStart;
        std::atomic<bool> ended{false};
        std::atomic<bool> played{false};
        std::atomic<platform::WaveOut::Placement> where{platform::WaveOut::Placement::OnOutput};
        std::function<void()> wake;
    };

    template <typename Apply> void Change(const std::string& key, bool there, Apply apply) {
        const std::lock_guard lock(m_mutex);
        m_there[key] = there;
        for (Stream* s : m_streams) {
            if (s->key == key) {
                apply(*s);
                s->Wake();
            }
        }
    }

    mutable std::mutex m_mutex;
    std::vector<platform::SoundOutput> m_outputs;
    std::map<std::string, bool> m_there;
    std::vector<Stream*> m_streams;
    std::vector<Opening> m_openings;
    std::map<const void*, std::pair<std::string, std::function<void()>>> m_awaited;
    std::atomic<bool> m_refuseStarts{false};
    // Held while the observer is called, so that once it is replaced no call of the one before still runs.
    std::mutex m_observerMutex;
    std::function<void()> m_observer;
    // Apart from the rest: a player reads the clock and sleeps while it holds its own wake-up lock, which the
    // streams' wake-ups take under m_mutex.
    std::atomic<Clock::rep> m_now{0};
    mutable std::mutex m_pauseMutex;
    mutable std::optional<Clock::duration> m_pause;
};

} // namespace murmex::test
