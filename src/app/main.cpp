// Brindlemark start-up: the splash window comes first and brings up the main window.

#include "frmSplash.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindlemark");
    QApplication::setApplicationVersion(BRINDLEMARK_VERSION);
    auto *splash = new frmSplash;
    splash->show();
    return QApplication::exec();
}
