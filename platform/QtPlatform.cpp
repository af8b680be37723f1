#include "platform/QtPlatform.h"

#include <QByteArrayList>
#include <QtGlobal>

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

QtArguments::QtArguments(int& argc, char** argv, const EnvironmentReader& environment)
    : m_platform(ChooseQtPlatform(environment)) {
    m_argv.assign(argv, argv + argc);
    // A platform given on the command line is the user's choice as well.
    for (int i = 1; i < argc; ++i) {
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

bool LacksDisplay(int argc, char** argv, const EnvironmentReader& environment) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    QByteArray platform = environment("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            platform = argv[i + 1];
    }
    // A list of platforms to try in turn, each with its options after a colon.
    for (const QByteArray& entry : platform.split(';')) {
        const QByteArray name = entry.split(':').constFirst().trimmed();
        if (!name.isEmpty() && !name.startsWith("xcb") && !name.startsWith("wayland"))
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

QByteArray ProcessEnvironment(const char* name) {
    return qgetenv(name);
}

} // namespace murmex::platform
