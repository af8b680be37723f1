#include "platform/SoundServer.h"

#include "platform/Sanitizers.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#if MURMEX_UNDER_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace murmex::platform::soundserver {
namespace {

#if MURMEX_UNDER_TSAN
char g_underLock; // what ThreadSanitizer orders the holders of the main loop's lock by
void LockTaken() {
    __tsan_acquire(&g_underLock);
}
void LockGiven() {
    __tsan_release(&g_underLock);
}
#else
void LockTaken() {}
void LockGiven() {}
#endif

// A server that went away is looked for this often; a failed connect to a missing socket costs nothing.
constexpr pa_usec_t kRetryEvery = 500 * PA_USEC_PER_MSEC;
// How long Start() waits for a server that accepts the connection but does not answer; such a server is taken
// up when it answers.
constexpr pa_usec_t kStartTimeout = 3 * PA_USEC_PER_SEC;

struct Engine {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr; // the current connection, or one being made; null between tries
    pa_time_event* retry = nullptr;
    std::string applicationName;
    std::string iconName;
    std::vector<Listener*> listeners;
    std::function<void()> observer;
    std::atomic<bool> inUse{false};
    std::atomic<bool> connected{false};
    std::atomic<bool> answered{false}; // the outputs were read once
    bool found = false;                // the server is this run's: a connection lost or refused is tried again
    bool listRead = false;             // the first reading after a connect is done

    // The reading in progress: one server-info and one sink-list answer.
    int answersDue = 0;
    bool readAgain = false;
    std::string readingDefault;
    std::vector<Output> readingSinks;

    // Published whole; read without the main loop's lock.
    std::mutex tableMutex;
    std::shared_ptr<const std::vector<Output>> outputs = std::make_shared<std::vector<Output>>();
    std::string defaultSink;

    // The default entry's name: this label, and the default output's description in brackets.
    std::string defaultLabel = "Default";
    std::string defaultDescription;
};

// Never destroyed: streams of players that outlive the program's orderly end still reach it.
Engine& E() {
    static auto* engine = new Engine;
    return *engine;
}

void Connect();

void Notify() {
    if (E().observer)
        E().observer();
}

std::string DefaultEntryName(const Engine& e) {
    return e.defaultDescription.empty() ? e.defaultLabel : e.defaultLabel + " (" + e.defaultDescription + ")";
}

// A sink's volume or state changes often, and each change asks for a reading: only a reading that differs is
// told to the program.
void Publish() {
    Engine& e = E();
    auto outputs = std::make_shared<std::vector<Output>>();
    e.defaultDescription.clear();
    for (const Output& sink : e.readingSinks) {
        if (sink.key == e.readingDefault)
            e.defaultDescription = sink.name;
    }
    outputs->push_back({kDefaultOutputKey, DefaultEntryName(e)});
    outputs->insert(outputs->end(), e.readingSinks.begin(), e.readingSinks.end());
    bool changed = false;
    {
        const std::lock_guard lock(e.tableMutex);
        changed = *outputs != *e.outputs || e.readingDefault != e.defaultSink;
        if (changed) {
            e.outputs = std::move(outputs);
            e.defaultSink = e.readingDefault;
        }
    }
    e.listRead = true;
    e.answered.store(true);
    bool news = changed;
    for (Listener* listener : std::vector<Listener*>(e.listeners))
        news = listener->OutputsRead(changed) || news;
    if (news)
        Notify();
    pa_threaded_mainloop_signal(e.loop, 0);
}

void ReadOutputs();

void AnswerIn() {
    Engine& e = E();
    if (--e.answersDue > 0)
        return;
    if (e.readAgain) {
        ReadOutputs();
        return;
    }
    Publish();
}

void ServerInfoRead(pa_context*, const pa_server_info* info, void*) {
    const CallbackScope scope;
    E().readingDefault = info && info->default_sink_name ? info->default_sink_name : "";
    AnswerIn();
}

void SinkRead(pa_context*, const pa_sink_info* info, int eol, void*) {
    const CallbackScope scope;
    if (eol == 0 && info) {
        E().readingSinks.push_back({info->name ? info->name : "", info->description ? info->description : ""});
        return;
    }
    AnswerIn(); // the end of the list, or an error (the connection went)
}

void Drop(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

// Reads the default sink and the sinks again; a reading asked for while one runs is made after it.
void ReadOutputs() {
    Engine& e = E();
    if (!e.context || !e.connected.load())
        return;
    if (e.answersDue > 0) {
        e.readAgain = true;
        return;
    }
    e.readAgain = false;
    e.readingDefault.clear();
    e.readingSinks.clear();
    e.answersDue = 2;
    pa_operation* info = pa_context_get_server_info(e.context, ServerInfoRead, nullptr);
    pa_operation* sinks = pa_context_get_sink_info_list(e.context, SinkRead, nullptr);
    e.answersDue -= !info + !sinks;
    Drop(info);
    Drop(sinks);
}

void InputRead(pa_context*, const pa_sink_input_info* info, int eol, void*) {
    const CallbackScope scope;
    if (eol != 0 || !info)
        return;
    bool news = false;
    for (Listener* listener : std::vector<Listener*>(E().listeners))
        news = listener->InputVolumeChanged(info->index, info->volume) || news;
    if (news)
        Notify();
}

void Event(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index, void*) {
    const CallbackScope scope;
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER || facility == PA_SUBSCRIPTION_EVENT_SINK) {
        ReadOutputs();
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK_INPUT && kind == PA_SUBSCRIPTION_EVENT_CHANGE) {
        Drop(pa_context_get_sink_input_info(context, index, InputRead, nullptr));
    }
}

void RetryNow(pa_mainloop_api* api, pa_time_event* event, const timeval*, void*) {
    const CallbackScope scope;
    api->time_free(event);
    E().retry = nullptr;
    Connect();
}

void RetryLater() {
    Engine& e = E();
    if (e.retry)
        return;
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kRetryEvery);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(e.loop);
    e.retry = api->time_new(api, &when, RetryNow, nullptr);
}

void StateChanged(pa_context* context, void*) {
    const CallbackScope scope;
    Engine& e = E();
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        e.connected.store(true);
        pa_context_set_subscribe_callback(context, Event, nullptr);
        Drop(pa_context_subscribe(context,
                                  static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                      PA_SUBSCRIPTION_MASK_SERVER |
                                                                      PA_SUBSCRIPTION_MASK_SINK_INPUT),
                                  nullptr, nullptr));
        e.answersDue = 0;
        ReadOutputs();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: {
        if (e.context != context)
            break; // told already (a connect that fails at once reports it, and Connect() reports it again)
        const bool wasConnected = e.connected.exchange(false);
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        // A failed connection is never used again: its streams have failed with it. It is let go of once
        // this callback has returned.
        pa_context_disconnect(context);
        e.context = nullptr;
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(e.loop);
        api->defer_new(
            api,
            [](pa_mainloop_api* a, pa_defer_event* event, void* old) {
                a->defer_free(event);
                pa_context_unref(static_cast<pa_context*>(old));
            },
            context);
        if (wasConnected) {
            for (Listener* listener : std::vector<Listener*>(e.listeners))
                listener->ConnectionLost();
        }
        if (e.found)
            RetryLater();
        break;
    }
    default:
        break;
    }
    pa_threaded_mainloop_signal(e.loop, 0);
}

// Under the lock: a new connection to the server, which answers through StateChanged.
void Connect() {
    Engine& e = E();
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, e.applicationName.c_str());
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "murmex");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, e.iconName.c_str());
    pa_context* context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(e.loop), e.applicationName.c_str(), properties);
    pa_proplist_free(properties);
    if (!context) {
        RetryLater();
        return;
    }
    e.context = context;
    e.listRead = false;
    pa_context_set_state_callback(context, StateChanged, nullptr);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        StateChanged(context, nullptr); // reports the failure as the state callback would
}

// The server has taken the connection: it is there, whether it has answered yet or not.
bool Accepted(pa_context* context) {
    if (!context)
        return false;
    const pa_context_state_t state = pa_context_get_state(context);
    return state == PA_CONTEXT_AUTHORIZING || state == PA_CONTEXT_SETTING_NAME || state == PA_CONTEXT_READY;
}

} // namespace

bool Start(const std::string& applicationName, const std::string& iconName) {
    Engine& e = E();
    if (e.loop)
        return e.inUse.load();
    e.applicationName = applicationName;
    e.iconName = iconName;
    e.loop = pa_threaded_mainloop_new();
    if (!e.loop)
        return false;
    pa_threaded_mainloop_set_name(e.loop, "murmex-sound");
    if (pa_threaded_mainloop_start(e.loop) < 0)
        return false;
    const Lock lock;
    bool timedOut = false;
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kStartTimeout);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(e.loop);
    pa_time_event* timeout = api->time_new(
        api, &when,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* flag) {
            const CallbackScope scope;
            *static_cast<bool*>(flag) = true;
            pa_threaded_mainloop_signal(E().loop, 0);
        },
        &timedOut);
    Connect();
    while (!timedOut && e.context && !(e.connected.load() && e.listRead))
        Wait();
    api->time_free(timeout);
    if (!Accepted(e.context)) {
        // No server, or one that refused the connection: this run goes without it. The loop stays, idle.
        if (e.context) {
            pa_context_set_state_callback(e.context, nullptr, nullptr);
            pa_context_disconnect(e.context);
            pa_context_unref(e.context);
            e.context = nullptr;
        }
        e.connected.store(false);
        return false;
    }
    // Answered or not: a server that is slow to answer (busy, or stopped) is taken up when it answers, as one
    // that comes back would be. Until then it lists no outputs.
    e.found = true;
    e.inUse.store(true);
    return true;
}

bool InUse() {
    return E().inUse.load();
}

bool Connected() {
    return E().connected.load();
}

bool Answered() {
    return E().answered.load();
}

std::shared_ptr<const std::vector<Output>> Outputs() {
    Engine& e = E();
    const std::lock_guard lock(e.tableMutex);
    return e.outputs;
}

std::string SinkOf(const std::string& key) {
    Engine& e = E();
    const std::lock_guard lock(e.tableMutex);
    if (key == kDefaultOutputKey)
        return e.defaultSink;
    const bool listed =
        std::any_of(e.outputs->begin(), e.outputs->end(), [&](const Output& o) { return o.key == key; });
    return listed ? key : std::string();
}

CallbackScope::CallbackScope() {
    LockTaken();
}

CallbackScope::~CallbackScope() {
    LockGiven();
}

Lock::Lock() {
    if (E().loop)
        pa_threaded_mainloop_lock(E().loop);
    LockTaken();
}

Lock::~Lock() {
    LockGiven();
    if (E().loop)
        pa_threaded_mainloop_unlock(E().loop);
}

pa_context* Context() {
    Engine& e = E();
    return e.connected.load() ? e.context : nullptr;
}

void Signal() {
    pa_threaded_mainloop_signal(E().loop, 0);
}

void Wait() {
    LockGiven();
    pa_threaded_mainloop_wait(E().loop);
    LockTaken();
}

void AddListener(Listener* listener) {
    E().listeners.push_back(listener);
}

void RemoveListener(Listener* listener) {
    auto& listeners = E().listeners;
    listeners.erase(std::remove(listeners.begin(), listeners.end(), listener), listeners.end());
}

void SetDefaultLabel(const std::string& label) {
    Engine& e = E();
    const Lock lock;
    if (label == e.defaultLabel)
        return;
    e.defaultLabel = label;
    {
        const std::lock_guard tableLock(e.tableMutex);
        if (e.outputs->empty())
            return;
        auto outputs = std::make_shared<std::vector<Output>>(*e.outputs);
        outputs->front().name = DefaultEntryName(e);
        e.outputs = std::move(outputs);
    }
    Notify();
}

void ReadOutputsAgain() {
    ReadOutputs();
}

void SetOutputsObserver(std::function<void()> observer) {
    const Lock lock;
    E().observer = std::move(observer);
}

} // namespace murmex::platform::soundserver
