#include "app/Startup.h"

#include "app/Main.h"
#include "app/SettingsStore.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "platform/AudioHost.h"
#include "platform/Termination.h"

#include <QApplication>

#include <memory>

namespace murmex {

int RunMurmex(int& argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Murmex"));
    QApplication::setDesktopFileName(QStringLiteral("murmex"));
    // The main window ends the program when it is closed, also while it is hidden in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    // The sound system starts here, on the interface thread, and not inside the first player's start.
    platform::audiohost::Start();

    auto fmMain = std::make_unique<TfmMain>();
    fmMain->Lang_Num = SettingsStore::ReadLanguage();
    auto fmHelp = std::make_unique<TfmHelp>();
    fmMain->fmHelp = fmHelp.get();

    QObject::connect(fmMain.get(), &TfmMain::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // A session that ends the program closes the window the same way the close button does.
    platform::TerminationRequests termination;
    QObject::connect(&termination, &platform::TerminationRequests::Requested, fmMain.get(), &QWidget::close);

    fmMain->show();
    // A window manager activates a new window by itself; without one the window would never become
    // active, and the work that waits for the first active moment would never run.
    fmMain->activateWindow();
    const int result = QApplication::exec();

    // The sound ends with the program: players are asked to stop and get a moment to close their
    // devices, but the end is never held up for them.
    audio::StopAllWOThreads();
    audio::WaitForNoWOThreads(500);

    // The windows go in the reverse order of their creation; the language is stored before the rest.
    fmMain->fmHelp = nullptr;
    fmHelp.reset();
    SettingsStore::WriteLanguage(fmMain->Lang_Num);
    fmMain.reset();
    return result;
}

} // namespace murmex
