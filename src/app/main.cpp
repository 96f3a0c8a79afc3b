// Brindlemark start-up: the splash window comes first and brings up the main window.

#include "CommandLineRun.h"
#include "MDIMain.h"
#include "common/Icons.h"
#include "frmSplash.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool headless = isCommandLineRun(arguments);
    // A run for scripts and schedulers needs no display.
    if (headless && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindlemark");
    QApplication::setApplicationVersion(BRINDLEMARK_VERSION);
    if (headless)
        return runCommandLine(QApplication::arguments());
    for (const QString &argument : QApplication::arguments().mid(1))
        if (!argument.startsWith('-'))
            MDIMain::startFiles() << argument;
    // Every window of the program, dialogs and maximised query windows included, shows its icon.
    QApplication::setWindowIcon(iconFor("brindlemark"));
    auto *splash = new frmSplash;
    QPointer<MDIMain> mainWindow;
    QObject::connect(splash, &frmSplash::mainWindowShown,
                     [&mainWindow](MDIMain *shown) { mainWindow = shown; });
    splash->show();
    const int result = QApplication::exec();
    // The event loop may end before the closed main window's deferred deletion has run.
    delete mainWindow.data();
    return result;
}
