// The program run without windows for scripts: the CSV of each SELECT, messages on standard
// error, the exit status, and the password never taken from the command line.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class tst_command_line : public QObject {
    Q_OBJECT
    QTemporaryDir home;

    // Runs the program in a home of its own; returns the exit status.
    int run(const QStringList &arguments, QByteArray *errors, const QByteArray &input = {},
            bool passwordInEnvironment = true) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.remove("BRINDLEMARK_PASSWORD");
        if (passwordInEnvironment)
            environment.insert("BRINDLEMARK_PASSWORD", "tiger");
        process.setProcessEnvironment(environment);
        process.start(BM_PROGRAM_PATH, arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000))
            return -1;
        *errors = process.readAllStandardError();
        return process.exitCode();
    }

    QString script(const QString &text) {
        const QString path = home.filePath("script.sql");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text.toUtf8());
        return path;
    }

private slots:
    void batchWithAFailingStatement() {
        const QString output = home.filePath("results.csv");
        QByteArray errors;
        const int status =
            run({"--run",
                 script("SELECT deptno, dname FROM dept ORDER BY deptno;\nSELECT nope FROM dept;\n"
                        "UPDATE bonus SET sal = 0;\nSELECT COUNT(*) n FROM emp;\n"),
                 "--data-source", "demo", "--user", "scott", "--output", output},
                &errors);
        QCOMPARE(status, 1);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // The window's CSV writer: CRLF line ends, a blank line after each result.
        const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
        QCOMPARE(lines, QStringList({"DEPTNO,DNAME", "10,ACCOUNTING", "20,RESEARCH", "30,SALES",
                                     "40,OPERATIONS", "", "N", "14", "", ""}));
        QVERIFY2(errors.contains("ORA-00904: \"NOPE\": invalid identifier"), errors.constData());
        QVERIFY(errors.contains("Query Complete"));
    }

    void successAndThePasswordAskedFor() {
        QByteArray errors;
        const int status = run({"--run", script("SELECT 1 FROM dual;"), "--data-source", "demo",
                                "--user", "scott", "--output", home.filePath("one.csv")},
                               &errors, "tiger\n", false);
        QCOMPARE(status, 0);
    }

    void noPasswordOnTheCommandLine() {
        for (const char *option : {"--password", "-p"}) {
            QByteArray errors;
            const int status = run({"--run", script("SELECT 1 FROM dual;"), "--data-source", "demo",
                                    "--user", "scott", option, "tiger"},
                                   &errors);
            QCOMPARE(status, 2);
            QVERIFY2(errors.contains("never taken from the command line"), errors.constData());
        }
    }

    void failedLogOn() {
        QByteArray errors;
        QCOMPARE(run({"--run", script("SELECT 1 FROM dual;"), "--data-source", "NOWHERE", "--user",
                      "scott"},
                     &errors),
                 3);
        QVERIFY2(errors.contains("Database connection problem"), errors.constData());
    }
};

QTEST_MAIN(tst_command_line)
#include "tst_command_line.moc"
