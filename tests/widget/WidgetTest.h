// Widget tests: Qt Test classes that build the main window on the offscreen platform. Each class
// registers itself with MURMEX_WIDGET_TEST and runs in the one test executable, which gives them all a
// private settings folder.
#pragma once

#include "app/Main.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace murmex::platform {
class SoundBackend;
}

namespace murmex::test {

int RegisterWidgetTest(std::function<std::unique_ptr<QObject>()> make);
// The sound of every window in this executable comes from the backend `make` gives, put in place before the
// program's start-up starts the sound; at most one per executable. Returns a value for a static, as
// MURMEX_WIDGET_TEST does.
int UseWidgetSound(std::function<std::unique_ptr<platform::SoundBackend>()> make);

// The per-user settings folder of this run, and the settings file in it.
QString WidgetConfigHome();
QString WidgetSettingsFile();
void WriteWidgetSettings(const QByteArray& text);
// The value stored under `key` in the settings file, as text; empty when there is none.
QString StoredWidgetSetting(const char* key);

// The INI file of the output device choice that test windows use, in the private settings folder; its text
// written, and the value under `key` in it, as text.
QString WidgetDeviceIni();
void WriteWidgetDeviceIni(const QByteArray& text);
QString StoredWidgetDeviceIni(const QString& key);

// Where test windows see the pointer, in screen coordinates; far away from any window until set. A shown test
// window is told at once, as by its own pointer events; one that shows later reads it as it shows.
void SetCursor(QPoint screen);
// One tick of the window's work timer, `ms` of the test windows' clock after the last.
void Tick(TfmMain& fm, int ms = 100);

// Services of a main window on a desktop `screenWidth` pixels wide: errors it would show land in `errors`
// (a test without that list fails on any error box), the device choice goes to WidgetDeviceIni(), the
// cursor is where SetCursor put it, the clock goes on by Tick alone. The window has a text holder of its own.
MainServices TestServices(int screenWidth = 1280, QStringList* errors = nullptr);
std::unique_ptr<TfmMain> MakeMainWindow(int screenWidth = 1280, QStringList* errors = nullptr);
// The same with services a test has adjusted.
std::unique_ptr<TfmMain> MakeMainWindow(MainServices services);

// Base of the test classes whose windows play: each test function starts without a settings file and
// leaves no player behind.
class PlayingWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
};

} // namespace murmex::test

#define MURMEX_WIDGET_TEST(Class)                                                                                      \
    [[maybe_unused]] static const int Class##Registered =                                                              \
        murmex::test::RegisterWidgetTest([] { return std::make_unique<Class>(); });
