#include "TestEnvironment.h"

#include <QCoreApplication>

TestEnvironment::TestEnvironment() {
    QCoreApplication::setApplicationName("Brindlemark");
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit());
}
