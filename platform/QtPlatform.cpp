#include "platform/QtPlatform.h"

#include <QByteArrayList>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace murmex::platform {

QByteArray ChooseQtPlatform(const EnvironmentReader& environment) {
    if (!environment("QT_QPA_PLATFORM").isEmpty())
        return {};
    const bool wayland = environment("XDG_SESSION_TYPE") == "wayland" || !environment("WAYLAND_DISPLAY").isEmpty();
    // Without an X display (no XWayland) the X11 plugin could not start at all: Qt's own choice is better.
    if (!wayland || environment("DISPLAY").isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

QtArguments::QtArguments(int& argc, char** argv, const EnvironmentReader& environment, bool windowless)
    : m_platform(windowless ? QByteArrayLiteral("offscreen") : ChooseQtPlatform(environment)) {
    m_argv.assign(argv, argv + argc);
    // A platform given on the command line is the user's choice as well.
    for (int i = 1; i < argc && !windowless; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            m_platform.clear();
    }
    if (!m_platform.isEmpty()) {
        m_argv.push_back(m_platformOption.data());
        m_argv.push_back(m_platform.data());
    }
    argc = static_cast<int>(m_argv.size());
    m_argv.push_back(nullptr);
}

namespace {

// The platforms the command line or the environment asks Qt for, in the order it tries them; none when Qt is
// left to choose.
QByteArrayList RequestedPlatforms(int argc, char** argv, const EnvironmentReader& environment) {
    QByteArray platform = environment("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            platform = argv[i + 1];
    }
    // A list of platforms to try in turn, each with its options after a colon.
    QByteArrayList names;
    for (const QByteArray& entry : platform.split(';')) {
        const QByteArray name = entry.split(':').constFirst().trimmed();
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

// Never destroyed: Qt may log from another thread while the process ends.
struct FatalGuard {
    std::mutex mutex;
    QByteArray line;
    std::vector<HeldMessage> held;
    QtMessageHandler previous = nullptr;
};

FatalGuard& Guard() {
    static auto* guard = new FatalGuard;
    return *guard;
}

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    FatalGuard& guard = Guard();
    const std::lock_guard lock(guard.mutex);
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", guard.line.constData());
        std::_Exit(1);
    }
    guard.held.push_back({type, context.file, context.line, context.function, context.category, text});
}

const char* OrNull(const QByteArray& text) {
    return text.isNull() ? nullptr : text.constData();
}

} // namespace

bool LacksDisplay(int argc, char** argv, const EnvironmentReader& environment) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    for (const QByteArray& name : RequestedPlatforms(argc, argv, environment)) {
        if (!name.startsWith("xcb") && !name.startsWith("wayland"))
            return false;
    }
    return environment("DISPLAY").isEmpty() && environment("WAYLAND_DISPLAY").isEmpty();
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    Q_UNUSED(environment);
    return false;
#endif
}

QByteArray CannotOpenDisplay(int argc, char** argv, const EnvironmentReader& environment) {
    const QByteArrayList platforms = RequestedPlatforms(argc, argv, environment);
    // Left to itself, Qt starts X's platform unless only a Wayland display is named.
    const bool wayland = platforms.isEmpty()
                             ? environment("DISPLAY").isEmpty() && !environment("WAYLAND_DISPLAY").isEmpty()
                             : platforms.constFirst().startsWith("wayland");
    QByteArray display = environment(wayland ? "WAYLAND_DISPLAY" : "DISPLAY");
    for (int i = 1; !wayland && i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "-display") == 0 || qstrcmp(argv[i], "--display") == 0)
            display = argv[i + 1];
    }
    if (display.isEmpty())
        display = wayland ? QByteArrayLiteral("wayland-0") : QByteArrayLiteral("(DISPLAY is not set)");
    return QByteArrayLiteral("Murmex cannot open the display ") + display;
}

FatalErrorLine::FatalErrorLine(const QByteArray& line) {
    FatalGuard& guard = Guard();
    {
        const std::lock_guard lock(guard.mutex);
        guard.line = line;
    }
    guard.previous = qInstallMessageHandler(HoldOrEnd);
}

FatalErrorLine::~FatalErrorLine() {
    FatalGuard& guard = Guard();
    qInstallMessageHandler(guard.previous);
    std::vector<HeldMessage> held;
    {
        const std::lock_guard lock(guard.mutex);
        held.swap(guard.held);
    }
    for (const HeldMessage& message : held)
        qt_message_output(
            message.type,
            QMessageLogContext(OrNull(message.file), message.line, OrNull(message.function), OrNull(message.category)),
            message.text);
}

PaintsThroughSocket::PaintsThroughSocket() : m_set(!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
    if (m_set)
        qputenv("QT_XCB_NO_MITSHM", "1");
}

PaintsThroughSocket::~PaintsThroughSocket() {
    if (m_set)
        qunsetenv("QT_XCB_NO_MITSHM");
}

std::optional<int> QtOptionValues(const QByteArray& argument) {
    // QApplication's, QGuiApplication's and the X11 platform's.
    static const QByteArrayList withValue{
        "platform",  "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry", "qwindowtitle",
        "title",     "qwindowicon",        "icon",          "session", "display",         "name",     "style",
        "stylesheet"};
    static const QByteArrayList alone{"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
    static const QByteArrayList joined{"style=", "stylesheet=", "qmljsdebugger="};
    if (!argument.startsWith('-'))
        return std::nullopt;
    const QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1);
    if (withValue.contains(name))
        return 1;
    if (alone.contains(name))
        return 0;
    for (const QByteArray& prefix : joined) {
        if (name.startsWith(prefix))
            return 0;
    }
    return std::nullopt;
}

QByteArray ProcessEnvironment(const char* name) {
    return qgetenv(name);
}

} // namespace murmex::platform
