// Query files on disk, without windows: what is written byte for byte, what is read back, and a
// failed write that leaves the old file whole.

#include "TestEnvironment.h"
#include "query/QueryFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class tst_query_file : public QObject {
    Q_OBJECT
    TestEnvironment env;

    QByteArray bytesOf(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    void writeBytes(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    // The editor's text is written as UTF-8 with CR LF and one added final CR LF, and reads back
    // with that line break at its end.
    void savedBytesAndReadBack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("one line") << "select 1 from dual" << QByteArray("select 1 from dual\r\n");
        QTest::newRow("lines") << "select *\nfrom emp\n"
                               << QByteArray("select *\r\nfrom emp\r\n\r\n");
        QTest::newRow("letters beyond ASCII")
            << QString::fromUtf8("select 'café €' from dual")
            << QByteArray("select 'caf\xc3\xa9 \xe2\x82\xac' from dual\r\n");
        QTest::newRow("empty") << "" << QByteArray("\r\n");
    }
    void savedBytesAndReadBack() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const QString path = env.file("saved.sql");
        QVERIFY(writeQueryFile(path, text));
        QCOMPARE(bytesOf(path), bytes);
        QCOMPARE(readQueryFile(path), std::optional<QString>(text + "\n"));
    }

    // Files from elsewhere: LF only, a final line without a break, the original program's
    // single-byte text.
    void filesFromElsewhere_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("LF only") << QByteArray("a\nb\n") << "a\nb\n";
        QTest::newRow("no final break") << QByteArray("a\r\nb") << "a\nb";
        QTest::newRow("Windows-1252") << QByteArray("caf\xe9 \x80") << QString::fromUtf8("café €");
    }
    void filesFromElsewhere() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString path = env.file("other.sql");
        writeBytes(path, bytes);
        QCOMPARE(readQueryFile(path), std::optional<QString>(text));
    }

    void failuresSayWhy() {
        QString why;
        QVERIFY(!readQueryFile(env.file("missing.sql"), &why));
        QVERIFY(!why.isEmpty());
        // A folder in the file's place: the write fails and says why.
        QDir().mkpath(env.file("folder.sql"));
        why.clear();
        QVERIFY(!writeQueryFile(env.file("folder.sql"), "select 1", &why));
        QVERIFY(!why.isEmpty());
        // A file in a place that takes no new files (as even root finds /proc) is left whole.
        const QByteArray before = bytesOf("/proc/version");
        QVERIFY(!writeQueryFile("/proc/version", "new", &why));
        QCOMPARE(bytesOf("/proc/version"), before);
    }
};

QTEST_MAIN(tst_query_file)
#include "tst_query_file.moc"
