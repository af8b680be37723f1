#include "platform/QtPlatform.h"

#include "TestEnvironment.h"

#include <gtest/gtest.h>

namespace murmex::platform {
namespace {

TEST(QtPlatform, AWaylandSessionWithAnXDisplayRunsThroughXWayland) {
    EXPECT_EQ(ChooseQtPlatform(Environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}})), "xcb");
    EXPECT_EQ(ChooseQtPlatform(Environment({{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}})), "xcb");
    EXPECT_EQ(
        ChooseQtPlatform(Environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", ""}})),
        "xcb");
}

TEST(QtPlatform, TheUsersChoiceX11AndWaylandWithoutXAreLeftAlone) {
    EXPECT_EQ(ChooseQtPlatform(
                  Environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}})),
              "");
    EXPECT_EQ(ChooseQtPlatform(Environment({{"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}})), "");
    EXPECT_EQ(ChooseQtPlatform(Environment({{"DISPLAY", ":0"}})), "");
    EXPECT_EQ(ChooseQtPlatform(Environment({{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}})), "");
    EXPECT_EQ(ChooseQtPlatform(Environment({})), "");
}

TEST(QtPlatform, TheArgumentsGainThePlatformUnlessTheCommandLineNamesOne) {
    char program[] = "murmex", option[] = "-platform", name[] = "offscreen";
    const auto wayland = Environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}});

    char* plain[] = {program, nullptr};
    int argc = 1;
    QtArguments added(argc, plain, wayland);
    ASSERT_EQ(argc, 3);
    EXPECT_STREQ(added.Argv()[0], "murmex");
    EXPECT_STREQ(added.Argv()[1], "-platform");
    EXPECT_STREQ(added.Argv()[2], "xcb");
    EXPECT_EQ(added.Argv()[3], nullptr);

    char* chosen[] = {program, option, name, nullptr};
    argc = 3;
    QtArguments kept(argc, chosen, wayland);
    ASSERT_EQ(argc, 3);
    EXPECT_STREQ(kept.Argv()[2], "offscreen");
    EXPECT_EQ(kept.Argv()[3], nullptr);

    argc = 1;
    QtArguments x11(argc, plain, Environment({{"DISPLAY", ":0"}}));
    EXPECT_EQ(argc, 1);
    EXPECT_EQ(x11.Argv()[1], nullptr);

    // Without a window, offscreen wins over whatever the user names, and no display is wanted.
    char xcb[] = "xcb";
    char* usersX11[] = {program, option, xcb, nullptr};
    const auto usersWayland = Environment({{"QT_QPA_PLATFORM", "wayland"}});
    argc = 3;
    QtArguments windowless(argc, usersX11, usersWayland, true);
    ASSERT_EQ(argc, 5);
    EXPECT_STREQ(windowless.Argv()[3], "-platform");
    EXPECT_STREQ(windowless.Argv()[4], "offscreen");
    EXPECT_FALSE(LacksDisplay(argc, windowless.Argv(), usersWayland));
}

// Qt would abort without a display; a platform that needs none is left to run.
TEST(QtPlatform, WithoutADisplayOnlyAPlatformThatNeedsNoneRuns) {
    char program[] = "murmex", option[] = "-platform", offscreen[] = "offscreen", xcb[] = "xcb";
    char* plain[] = {program, nullptr};
    char* headless[] = {program, option, offscreen, nullptr};
    char* x11[] = {program, option, xcb, nullptr};
    EXPECT_TRUE(LacksDisplay(1, plain, Environment({})));
    EXPECT_TRUE(LacksDisplay(1, plain, Environment({{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ""}})));
    EXPECT_TRUE(LacksDisplay(1, plain, Environment({{"QT_QPA_PLATFORM", "wayland;xcb"}})));
    EXPECT_TRUE(LacksDisplay(3, x11, Environment({{"QT_QPA_PLATFORM", "offscreen"}})));
    EXPECT_FALSE(LacksDisplay(1, plain, Environment({{"DISPLAY", ":0"}})));
    EXPECT_FALSE(LacksDisplay(1, plain, Environment({{"WAYLAND_DISPLAY", "wayland-0"}})));
    EXPECT_FALSE(LacksDisplay(1, plain, Environment({{"QT_QPA_PLATFORM", "offscreen"}})));
    EXPECT_FALSE(LacksDisplay(3, headless, Environment({})));
}

// A display that cannot be opened is named as the platform Qt starts would have opened it.
TEST(QtPlatform, TheDisplayThatCannotBeOpenedIsNamed) {
    char program[] = "murmex", option[] = "-platform", wayland[] = "wayland", display[] = "-display", x[] = ":7";
    char* plain[] = {program, nullptr};
    char* onWayland[] = {program, option, wayland, nullptr};
    char* onX[] = {program, display, x, nullptr};
    const auto both = Environment({{"DISPLAY", ":199"}, {"WAYLAND_DISPLAY", "wayland-9"}});
    EXPECT_EQ(CannotOpenDisplay(1, plain, both), "Murmex cannot open the display :199");
    EXPECT_EQ(CannotOpenDisplay(3, onX, both), "Murmex cannot open the display :7");
    EXPECT_EQ(CannotOpenDisplay(3, onWayland, both), "Murmex cannot open the display wayland-9");
    EXPECT_EQ(CannotOpenDisplay(1, plain, Environment({{"WAYLAND_DISPLAY", "wayland-9"}})),
              "Murmex cannot open the display wayland-9");
    EXPECT_EQ(CannotOpenDisplay(1, plain, Environment({{"QT_QPA_PLATFORM", "wayland;xcb"}})),
              "Murmex cannot open the display wayland-0");
}

// The setting is the program's own while its display connection is made: it neither outlives that nor replaces
// the user's.
TEST(QtPlatform, PaintsThroughTheSocketOnlyWhileTheConnectionIsMade) {
    qunsetenv("QT_XCB_NO_MITSHM");
    {
        const PaintsThroughSocket paints;
        EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), "1");
    }
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) << "programs started later would inherit it";
    qputenv("QT_XCB_NO_MITSHM", "");
    { const PaintsThroughSocket paints; }
    EXPECT_TRUE(qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) << "the user's own setting was taken away";
    qunsetenv("QT_XCB_NO_MITSHM");
}

} // namespace
} // namespace murmex::platform
