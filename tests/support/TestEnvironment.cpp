#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>

TestEnvironment::TestEnvironment() {
    QCoreApplication::setApplicationName("Brindlemark");
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit());
}

std::string sampleSchemaScript() {
    QFile file(BM_SAMPLE_SCRIPT);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the sample schema script %s", BM_SAMPLE_SCRIPT);
    return file.readAll().toStdString();
}
