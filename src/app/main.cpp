// Brindlemark start-up. Until the main window is built, the program opens its trace window.

#include "common/frmTrace.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindlemark");
    QApplication::setApplicationVersion("2.0.1");
    Show_Trace();
    return QApplication::exec();
}
