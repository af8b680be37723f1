#include "tests/widget/WidgetTest.h"

#include "app/WorkTick.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "platform/SoundBackend.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHoverEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

namespace murmex::test {
namespace {

std::vector<std::function<std::unique_ptr<QObject>()>>& Registry() {
    static std::vector<std::function<std::unique_ptr<QObject>()>> registry;
    return registry;
}

std::function<std::unique_ptr<platform::SoundBackend>()>& SoundMaker() {
    static std::function<std::unique_ptr<platform::SoundBackend>()> make;
    return make;
}

QString g_configHome;
QPoint g_cursor{-10000, -10000};
std::int64_t g_clockMs = 0;

} // namespace

int RegisterWidgetTest(std::function<std::unique_ptr<QObject>()> make) {
    Registry().push_back(std::move(make));
    return static_cast<int>(Registry().size());
}

int UseWidgetSound(std::function<std::unique_ptr<platform::SoundBackend>()> make) {
    SoundMaker() = std::move(make);
    return 1;
}

QString WidgetConfigHome() {
    return g_configHome;
}

QString WidgetSettingsFile() {
    return g_configHome + QStringLiteral("/Pellor Quandrel/Murmex.conf");
}

void PlayingWindowTest::init() {
    QFile::remove(WidgetSettingsFile());
}

void PlayingWindowTest::cleanup() {
    audio::StopAllWOThreads();
    QVERIFY(audio::WaitForNoWOThreads(5000));
}

void WriteWidgetSettings(const QByteArray& text) {
    QDir().mkpath(g_configHome + QStringLiteral("/Pellor Quandrel"));
    QFile file(WidgetSettingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QString StoredWidgetSetting(const char* key) {
    return QSettings(WidgetSettingsFile(), QSettings::IniFormat).value(QLatin1StringView(key)).toString();
}

QString WidgetDeviceIni() {
    return g_configHome + QStringLiteral("/devices.ini");
}

void WriteWidgetDeviceIni(const QByteArray& text) {
    QFile file(WidgetDeviceIni());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QString StoredWidgetDeviceIni(const QString& key) {
    return QSettings(WidgetDeviceIni(), QSettings::IniFormat).value(key).toString();
}

void SetCursor(QPoint screen) {
    g_cursor = screen;
    // As a real pointer's moves reach a shown window, as its own hover events.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!qobject_cast<TfmMain*>(window) || !window->isVisible())
            continue;
        QHoverEvent move(QEvent::HoverMove, QPointF(screen - window->pos()), QPointF(screen), QPointF(-1, -1));
        QApplication::sendEvent(window, &move);
    }
}

void Tick(TfmMain& fm, int ms) {
    g_clockMs += ms;
    fm.Timer_WorkTimer();
}

MainServices TestServices(int screenWidth, QStringList* errors) {
    MainServices services;
    services.cursorPos = [] { return g_cursor; };
    services.steadyMs = [] { return g_clockMs; };
    services.virtualScreenWidth = [screenWidth] { return screenWidth; };
    services.showError = [errors](const QString& message) {
        if (errors)
            errors->append(message);
        else
            QTest::qFail(qPrintable(QStringLiteral("unexpected error box: ") + message), __FILE__, __LINE__);
    };
    services.deviceIniPath = WidgetDeviceIni;
    // Nothing of a test ever reaches the desktop's programs; a test that opens something says where it goes.
    services.openUrl = [](const QUrl& url) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected open: ") + url.toString()), __FILE__, __LINE__);
    };
    return services;
}

namespace {

// A main window with its own text holder, as the program gives it one.
class WindowWithTexts : public TfmMain {
public:
    explicit WindowWithTexts(MainServices services) : TfmMain(std::move(services)) { fmHelp = &m_help; }
    ~WindowWithTexts() override { fmHelp = nullptr; }

private:
    TfmHelp m_help;
};

} // namespace

std::unique_ptr<TfmMain> MakeMainWindow(int screenWidth, QStringList* errors) {
    return MakeMainWindow(TestServices(screenWidth, errors));
}

std::unique_ptr<TfmMain> MakeMainWindow(MainServices services) {
    return std::make_unique<WindowWithTexts>(std::move(services));
}

} // namespace murmex::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before anything reads settings: the per-user folder is fixed at first use.
    const QTemporaryDir configHome;
    murmex::test::g_configHome = configHome.path();
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    // As the program's start-up does, before any window exists.
    if (const auto& make = murmex::test::SoundMaker())
        murmex::platform::UseSoundBackend(make());
    murmex::platform::StartSound();
    int failed = 0;
    for (const auto& make : murmex::test::Registry()) {
        const std::unique_ptr<QObject> test = make();
        // MURMEX_WIDGET_CLASS=Name runs one test class only, for a quick look while working on it.
        const QByteArray only = qgetenv("MURMEX_WIDGET_CLASS");
        if (!only.isEmpty() && only != test->metaObject()->className())
            continue;
        murmex::test::SetCursor({-10000, -10000});
        QFile::remove(murmex::test::WidgetSettingsFile());
        QFile::remove(murmex::test::WidgetDeviceIni());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed;
}
