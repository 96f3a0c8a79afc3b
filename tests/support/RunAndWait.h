#pragma once

// Runs a query window's batch and waits, with the event loop turning, until it has ended.

#include "query/frmQuery.h"

#include <QDeadlineTimer>
#include <QtTest>

// Waits for the window's batch, if one runs, to end.
inline bool waitForRun(frmQuery &window, int timeoutMs = 60000) {
    QDeadlineTimer deadline(timeoutMs);
    while (window.running() && !deadline.hasExpired())
        QTest::qWait(5);
    // The signals the worker sent last arrive now.
    QCoreApplication::processEvents();
    return !window.running();
}

inline bool runAndWait(frmQuery &window, int timeoutMs = 60000) {
    window.Run_Queries();
    return waitForRun(window, timeoutMs);
}
