#include "CommandLineRun.h"

#include "common/Prompt.h"
#include "db/modDatabase.h"
#include "query/BatchExecutor.h"
#include "query/QueryHistory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

QTextStream &standardError() {
    static QTextStream stream(stderr);
    return stream;
}

// What the program would show in a message box goes to standard error; no dialog is shown.
class ConsolePrompt : public bm::Prompt {
public:
    QMessageBox::StandardButton message(QMessageBox::Icon, QMessageBox::StandardButtons buttons,
                                        const QString &, const QString &text) override {
        standardError() << text << Qt::endl;
        return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::No;
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &,
                         const QString &) override {
        return {};
    }
    bool print(QPrinter &) override { return false; }
    bool printPreview(QPrinter &, const std::function<void(QPrinter *)> &) override {
        return false;
    }
    int showDialog(QDialog &) override { return QDialog::Rejected; }
};

// The password from the environment, else typed on the terminal without echo, else the first
// line of standard input.
std::string password(const QString &user, const QString &dataSource) {
    if (const char *fromEnvironment = std::getenv("BRINDLEMARK_PASSWORD"))
        return fromEnvironment;
    std::string typed;
    if (isatty(STDIN_FILENO)) {
        std::cerr << "Password for " << user.toStdString() << "@" << dataSource.toStdString()
                  << ": " << std::flush;
        termios old{};
        tcgetattr(STDIN_FILENO, &old);
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        std::getline(std::cin, typed);
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
        std::cerr << std::endl;
    } else {
        std::getline(std::cin, typed);
    }
    return typed;
}

} // namespace

bool isCommandLineRun(const QStringList &arguments) {
    return arguments.contains("--run");
}

int runCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Runs a script of SQL statements without windows.");
    const QCommandLineOption run("run", "The script to run.", "script.sql");
    const QCommandLineOption source("data-source", "The data source (net service name).", "name");
    const QCommandLineOption user("user", "The user name.", "name");
    const QCommandLineOption output("output", "The file for the rows (CSV).", "file");
    const QCommandLineOption secret({"password", "p"}, "Refused: never on the command line.",
                                    "password");
    parser.addOptions({run, source, user, output, secret});
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        standardError() << "brindlemark: " << parser.errorText() << Qt::endl;
        return 2;
    }
    if (parser.isSet(secret)) {
        standardError() << "brindlemark: a password is never taken from the command line, where "
                           "other users of the machine can read it. Set BRINDLEMARK_PASSWORD or "
                           "type it when asked."
                        << Qt::endl;
        return 2;
    }
    if (parser.value(run).isEmpty() || parser.value(source).isEmpty() ||
        parser.value(user).isEmpty()) {
        standardError() << "brindlemark: --run, --data-source and --user are all needed."
                        << Qt::endl
                        << parser.helpText();
        return 2;
    }
    QFile script(parser.value(run));
    if (!script.open(QIODevice::ReadOnly)) {
        standardError() << "brindlemark: cannot read " << script.fileName() << ": "
                        << script.errorString() << Qt::endl;
        return 2;
    }
    const QString text = QString::fromUtf8(script.readAll());

    QFile out;
    const bool toFile = parser.isSet(output);
    if (toFile) {
        out.setFileName(parser.value(output));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            standardError() << "brindlemark: cannot write " << out.fileName() << ": "
                            << out.errorString() << Qt::endl;
            return 2;
        }
    } else if (!out.open(stdout, QIODevice::WriteOnly)) {
        return 2;
    }

    ConsolePrompt console;
    bm::Prompt::install(&console);
    std::string secretText = password(parser.value(user), parser.value(source));
    Build_Connection_String(parser.value(source), parser.value(user),
                            QString::fromStdString(secretText));
    std::fill(secretText.begin(), secretText.end(), '\0');
    if (!Open_Connection()) {
        bm::Prompt::install(nullptr);
        return 3;
    }

    // Each SELECT's rows are written by the window's CSV writer to a file of their own, then
    // added to the output, so that a result of any size streams through.
    QTemporaryDir parts;
    int part = 0;
    QString current;
    bool failed = false;
    BatchExecutor executor;
    executor.askFileName = [&] {
        current = parts.filePath(QString("part%1.csv").arg(++part));
        return current;
    };
    QEventLoop loop;
    QObject::connect(&executor, &BatchExecutor::fileDone, [&](qint64 records, qint64) {
        QFile rows(current);
        if (rows.open(QIODevice::ReadOnly)) {
            while (!rows.atEnd())
                out.write(rows.read(1 << 20));
            rows.remove();
        }
        out.flush();
        standardError() << records << " rows" << Qt::endl;
    });
    QObject::connect(&executor, &BatchExecutor::fileFailed,
                     [&](const QString &name, const QString &reason) {
                         failed = true;
                         standardError() << "The results could not be written to " << name << ": "
                                         << reason << Qt::endl;
                     });
    QObject::connect(&executor, &BatchExecutor::message,
                     [](const QString &message) { standardError() << message << Qt::endl; });
    QObject::connect(&executor, &BatchExecutor::generalFinished,
                     [] { standardError() << "Query Complete" << Qt::endl; });
    QObject::connect(&executor, &BatchExecutor::statementFailed,
                     [&](const QString &description, const QString &statement) {
                         failed = true;
                         standardError() << description << "    ("
                                         << statement.simplified().left(60) << ")" << Qt::endl;
                     });
    QObject::connect(&executor, &BatchExecutor::batchFinished, &loop, &QEventLoop::quit);

    BatchRequest request;
    request.statements = batchStatements(text);
    request.output = OutputKind::File;
    request.history = &QueryHistory::instance();
    request.dataSource = parser.value(source);
    request.user = parser.value(user);
    executor.start(std::move(request));
    loop.exec();

    Close_Connection();
    bm::Prompt::install(nullptr);
    return failed ? 1 : 0;
}
