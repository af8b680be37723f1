// The main window's widget tests, on the offscreen platform with a private settings folder.
#include <QApplication>
#include <QTemporaryDir>

int RunMainLifecycleTest(int argc, char** argv, const QString& configHome);
int RunMainWindowLayoutTest(int argc, char** argv);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Before anything reads settings: the per-user folder is fixed at first use.
    const QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    int failures = RunMainLifecycleTest(argc, argv, configHome.path());
    failures += RunMainWindowLayoutTest(argc, argv);
    return failures;
}
