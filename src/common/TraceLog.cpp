#include "TraceLog.h"

#include <QCoreApplication>

TraceLog &TraceLog::instance() {
    // It belongs to the window thread, whichever thread writes first, so that entries written
    // elsewhere reach the window there.
    static TraceLog *log = [] {
        auto *made = new TraceLog;
        if (QCoreApplication::instance())
            made->moveToThread(QCoreApplication::instance()->thread());
        return made;
    }();
    return *log;
}
