// Brindlemark start-up: the splash window comes first and brings up the main window.

#include "MDIMain.h"
#include "common/Icons.h"
#include "frmSplash.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindlemark");
    QApplication::setApplicationVersion(BRINDLEMARK_VERSION);
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
