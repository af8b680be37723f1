// The window places itself at the top centre of the screen and gives itself a shape, which a Wayland
// compositor does not let a client do. On a Wayland desktop the program therefore runs through XWayland,
// as an X11 client, unless the user has chosen a Qt platform themselves.
#pragma once

#include <QByteArray>

#include <functional>
#include <optional>
#include <vector>

namespace murmex::platform {

// Reads one environment variable; empty when unset.
using EnvironmentReader = std::function<QByteArray(const char* name)>;

// The Qt platform plugin to ask for, or empty to leave Qt's own choice: "xcb" in a Wayland session that
// offers an X display, when QT_QPA_PLATFORM is unset or empty.
QByteArray ChooseQtPlatform(const EnvironmentReader& environment);

// The program's arguments with "-platform NAME" added when ChooseQtPlatform gives one and the command line
// names no platform, for QApplication. A `windowless` program gets Qt's offscreen platform, whatever the command
// line and the environment name: it must reach no display at all, and Qt takes the last platform named. The
// environment is left as it is, for the programs this one starts. The strings live as long as the returned
// object; the argument count given is updated.
class QtArguments {
public:
    QtArguments(int& argc, char** argv, const EnvironmentReader& environment, bool windowless = false);
    char** Argv() { return m_argv.data(); }

private:
    QByteArray m_platformOption = QByteArrayLiteral("-platform");
    QByteArray m_platform;
    std::vector<char*> m_argv;
};

// Whether Qt would have to reach an X or a Wayland display and none is named (DISPLAY, WAYLAND_DISPLAY), where
// those are the desktop's: Qt would abort. A platform chosen on the command line ("-platform NAME") or in
// QT_QPA_PLATFORM that needs no display, such as offscreen, needs none.
bool LacksDisplay(int argc, char** argv, const EnvironmentReader& environment);

// What to say when Qt cannot open the display its platform needs: "Murmex cannot open the display NAME", with
// the X display (DISPLAY, or -display on the command line) or the Wayland one (WAYLAND_DISPLAY, else wayland-0).
QByteArray CannotOpenDisplay(int argc, char** argv, const EnvironmentReader& environment);

// While it lives, a fatal error of Qt's ends the program with `line` on stderr and exit code 1, where Qt would
// abort with advice to reinstall; made around the application's creation, whose fatal error is a display that
// cannot be opened. Qt's other messages meanwhile are held back, and given out in their order when it goes.
class FatalErrorLine {
public:
    explicit FatalErrorLine(const QByteArray& line);
    ~FatalErrorLine();
    FatalErrorLine(const FatalErrorLine&) = delete;
    FatalErrorLine& operator=(const FatalErrorLine&) = delete;
};

// While it lives, the X display connection Qt opens sends the window's pictures over its socket instead of through
// X shared memory. A shared-memory paint ends with a completion event that wakes two threads, on every lamp step
// while the window is shown; the window's paints are small, and a copy through the socket costs less. The
// user's own QT_XCB_NO_MITSHM is left as it is, and programs started after its end (a browser for the help's
// links) do not inherit the setting. Made before any thread starts, ended once the application is made.
class PaintsThroughSocket {
public:
    PaintsThroughSocket();
    ~PaintsThroughSocket();
    PaintsThroughSocket(const PaintsThroughSocket&) = delete;
    PaintsThroughSocket& operator=(const PaintsThroughSocket&) = delete;

private:
    bool m_set = false;
};

// How many of the arguments after `argument` belong to it when it is one of Qt's own options (-platform NAME,
// -display NAME, -reverse, -style=NAME ...), which Qt reads with one dash or two; nothing for any other argument.
std::optional<int> QtOptionValues(const QByteArray& argument);

// The process's environment.
QByteArray ProcessEnvironment(const char* name);

} // namespace murmex::platform
