#pragma once

// The program without windows, for scripts and schedulers:
//   brindlemark --run script.sql --data-source demo --user scott [--output results.csv]
// runs the script's batch with the same splitting, engines and CSV writer as a query window:
// the rows of each SELECT to the output (standard output when none is named), messages to
// standard error, exit status 1 when a statement failed (2 for a wrong command line, 3 when the
// log-on failed). The password comes from BRINDLEMARK_PASSWORD or is asked on the terminal;
// the command line never carries it.

#include <QStringList>

// True when the arguments ask for a run without windows.
bool isCommandLineRun(const QStringList &arguments);
// Runs it; returns the exit status. Needs a QApplication (any platform).
int runCommandLine(const QStringList &arguments);
