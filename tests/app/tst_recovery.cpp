// Nothing typed is lost when the program is killed: unsaved query text comes back at the next
// start, or goes when the user declines it; a saved window leaves no recovery file.

#include "LogOnAnswer.h"
#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/MDIMain.h"
#include "common/SelectTextOnFocus.h"
#include "db/frmLogin.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "query/RecoveryStore.h"
#include "query/frmQuery.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

class tst_recovery : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

    // Runs the program with two edited windows and kills it (SIGKILL) once their text is kept.
    void runAndKill() {
        QProcess child;
        child.start(BM_RECOVERY_CHILD, {env.file("kept.sql")});
        QVERIFY(child.waitForReadyRead(30000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("ready"));
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    }

    QStringList recoveryFiles() {
        RecoveryStore::instance().waitForWrites();
        return QDir(RecoveryStore::instance().directory()).entryList({"*.json"});
    }

    std::unique_ptr<MDIMain> start() {
        prompt.dialogHandlers.enqueue(logOnAnswer());
        auto main = std::make_unique<MDIMain>();
        main->Form_Load();
        return main;
    }

private slots:
    void cleanup() {
        Close_Connection();
        prompt.messages.clear();
        prompt.buttonAnswers.clear();
    }

    void killedThenRestored() {
        runAndKill();
        QCOMPARE(recoveryFiles().size(), 2);
        prompt.buttonAnswers.enqueue(QMessageBox::Yes);
        auto main = start();
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages[0].text.contains("did not end normally"));
        QVERIFY(prompt.messages[0].text.contains("2 query windows"));
        QStringList texts;
        for (frmQuery *query : main->queryWindows()) {
            if (query->txtSQL->toPlainText().trimmed().isEmpty())
                continue; // the log-on's own new window
            texts << query->txtSQL->toPlainText();
            QVERIFY(query->UnSavedChanges());
            if (query->txtSQL->toPlainText().contains("second"))
                QCOMPARE(query->FileName(), env.file("kept.sql"));
            else
                QVERIFY(query->FileName().isEmpty());
        }
        texts.sort();
        QCOMPARE(texts, QStringList({"SELECT 'first' FROM dual", "SELECT 'second' FROM dual"}));
        for (frmQuery *query : main->queryWindows())
            query->setUnSavedChanges(false);
        main.reset();
        QCOMPARE(recoveryFiles(), QStringList()); // the dead run's files are gone, ours too
    }

    void killedThenDeclined() {
        runAndKill();
        prompt.buttonAnswers.enqueue(QMessageBox::No);
        auto main = start();
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(main->queryWindows().size(), 1);
        QCOMPARE(recoveryFiles(), QStringList());
        // Nothing is offered again.
        main.reset();
        Close_Connection();
        prompt.messages.clear();
        auto again = start();
        QCOMPARE(prompt.messages.size(), 0);
    }

    void keptWhileUnsavedGoneWhenSaved() {
        auto main = start();
        frmQuery *query = main->activeQuery();
        query->txtSQL->setPlainText("SELECT 1 FROM dual");
        QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles().size(), 1, 10000);
        prompt.fileAnswers.enqueue(env.file("saved.sql"));
        QVERIFY(main->Save_File(query, false));
        QCOMPARE(recoveryFiles(), QStringList());
        // Typing again keeps it again; closing through the questions (No) lets it go.
        query->txtSQL->appendPlainText("-- more");
        QTRY_COMPARE_WITH_TIMEOUT(recoveryFiles().size(), 1, 10000);
        query->setUnSavedChanges(false);
        QCOMPARE(recoveryFiles(), QStringList());
    }
};

QTEST_MAIN(tst_recovery)
#include "tst_recovery.moc"
