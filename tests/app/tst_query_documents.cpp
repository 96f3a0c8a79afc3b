// Query windows as documents on the real main window: open, save, save as, save all, and the
// questions asked before a changed window closes, every way it can close.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/MDIMain.h"
#include "app/frmSavePrompt.h"
#include "editor/SqlEditor.h"
#include "favourites/QueryFiles.h"
#include "favourites/frmFavorites.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Answers the four-button prompt with the button of that name, noting what it asked.
std::function<int(QDialog &)> answer(const QString &button, QStringList *asked = nullptr) {
    return [=](QDialog &dialog) {
        auto &prompt = static_cast<frmSavePrompt &>(dialog);
        if (asked)
            *asked << prompt.lblPrompt->text();
        prompt.findChild<QPushButton *>(button)->click();
        return prompt.result();
    };
}

} // namespace

class tst_query_documents : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

    std::unique_ptr<MDIMain> started() {
        prompt.dialogHandlers.enqueue([](QDialog &) { return int(QDialog::Rejected); });
        auto main = std::make_unique<MDIMain>();
        main->Form_Load();
        prompt.dialogs.clear();
        return main;
    }

    static frmQuery *edited(MDIMain &main, const QString &text) {
        frmQuery *query = main.New_Query();
        query->txtSQL->setPlainText(text);
        return query;
    }

    static bool isOpen(MDIMain &main, frmQuery *query) {
        return main.queryWindows().contains(query);
    }

private slots:
    void init() {
        AppOptions = AppOptionsRecord{};
        prompt.messages.clear();
        prompt.dialogs.clear();
        prompt.dialogHandlers.clear();
        prompt.fileAnswers.clear();
        prompt.fileDialogs.clear();
        prompt.buttonAnswers.clear();
    }

    void saveReopenAndSaveAgain() {
        auto main = started();
        frmQuery *query = edited(*main, "select 1 from dual");
        QVERIFY(query->UnSavedChanges());
        QVERIFY(!main->action("mnuFileAddFav")->isEnabled());
        // Save asks for a name the first time; ".sql" is added to a name typed without one.
        prompt.fileAnswers.enqueue(env.file("first"));
        main->action("mnuFileSave")->trigger();
        const QString path = env.file("first.sql");
        QCOMPARE(prompt.fileDialogs.size(), 1);
        QVERIFY(prompt.fileDialogs[0].startsWith("save: Save As | Query File (*.sql);;Text File "
                                                 "(*.txt);;All Files (*.*) | sql"));
        QCOMPARE(bytesOf(path), QByteArray("select 1 from dual\r\n"));
        QVERIFY(!query->UnSavedChanges());
        QCOMPARE(query->windowTitle(), "Query - " + path);
        QVERIFY(main->action("mnuFileAddFav")->isEnabled());

        // Save again writes straight to the file; Save As always asks.
        query->txtSQL->setPlainText("select 2 from dual");
        main->toolButton("save")->click();
        QCOMPARE(prompt.fileDialogs.size(), 1);
        QCOMPARE(bytesOf(path), QByteArray("select 2 from dual\r\n"));
        main->action("mnuFileSaveAs")->trigger(); // cancelled: nothing changes
        QCOMPARE(prompt.fileDialogs.size(), 2);
        QCOMPARE(query->FileName(), path);

        // Open it again in a new window: the text with its final line break, unchanged.
        prompt.fileAnswers.enqueue(path);
        main->toolButton("open")->click();
        frmQuery *opened = main->activeQuery();
        QVERIFY(opened != query);
        QCOMPARE(opened->txtSQL->toPlainText(), QString("select 2 from dual\n"));
        QCOMPARE(opened->windowTitle(), "Query - " + path);
        QVERIFY(!opened->UnSavedChanges());
        QVERIFY(prompt.messages.isEmpty());
    }

    // A save that cannot be written says so, keeps the old file and leaves the window changed.
    void failedSaveIsReported() {
        auto main = started();
        frmQuery *query = edited(*main, "select 1 from dual");
        const QByteArray before = bytesOf("/proc/version");
        prompt.fileAnswers.enqueue("/proc/version");
        QVERIFY(!main->Save_File(query, true));
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(
            prompt.messages[0].text.startsWith("The query could not be saved to /proc/version"));
        QCOMPARE(bytesOf("/proc/version"), before);
        QVERIFY(query->UnSavedChanges());
        QVERIFY(query->FileName().isEmpty());
    }

    void unreadableFileIsNotOpened() {
        auto main = started();
        main->Open_File(env.file("absent.sql"));
        QVERIFY(main->queryWindows().isEmpty());
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, QMessageBox::Warning);
        QVERIFY(prompt.messages[0].text.startsWith("There was a problem opening the file '" +
                                                   env.file("absent.sql") + "'.  "));
    }

    void saveAllSavesTheChangedWindows() {
        auto main = started();
        frmQuery *named = edited(*main, "a");
        QVERIFY(main->Save_File(named, true) == false); // no answer: cancelled
        prompt.fileAnswers.enqueue(env.file("named.sql"));
        QVERIFY(main->Save_File(named, false));
        named->txtSQL->setPlainText("b");
        edited(*main, "c"); // untitled: asks, answered
        edited(*main, "d"); // untitled: asks, cancelled
        main->New_Query();  // unchanged: left alone
        prompt.fileAnswers.enqueue(env.file("untitled.sql"));
        main->action("mnuFileSaveAll")->trigger();
        QCOMPARE(bytesOf(env.file("named.sql")), QByteArray("b\r\n"));
        QCOMPARE(bytesOf(env.file("untitled.sql")), QByteArray("c\r\n"));
        QCOMPARE(main->queryWindows()[2]->UnSavedChanges(), true);
    }

    // The close box of one window: the three-button message.
    void closeBoxAsksWithThreeButtons_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("stays");
        QTest::newRow("no") << int(QMessageBox::No) << false;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << true;
        QTest::newRow("yes, save cancelled") << int(QMessageBox::Yes) << true;
    }
    void closeBoxAsksWithThreeButtons() {
        QFETCH(int, button);
        QFETCH(bool, stays);
        auto main = started();
        frmQuery *query = edited(*main, "select 1 from dual");
        prompt.buttonAnswers.enqueue(QMessageBox::StandardButton(button));
        main->subWindowOf(query)->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].buttons,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(prompt.messages[0].text,
                 QString("The query ' Query - Untitled1' has unsaved changes.\r\nDo you wish to "
                         "save the changes ?"));
        QCOMPARE(isOpen(*main, query), stays);
        if (stays)
            QCOMPARE(query->txtSQL->toPlainText(), QString("select 1 from dual"));
    }

    void unchangedWindowClosesWithoutAQuestion() {
        auto main = started();
        frmQuery *query = main->New_Query();
        main->subWindowOf(query)->close();
        QVERIFY(prompt.messages.isEmpty() && prompt.dialogs.isEmpty());
        QVERIFY(main->queryWindows().isEmpty());
    }

    // File > Close: the four-button prompt.
    void fileCloseAsksWithFourButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("stays");
        QTest::addColumn<bool>("saved");
        QTest::newRow("yes") << "cmdYes" << false << true;
        QTest::newRow("no") << "cmdNo" << false << false;
        QTest::newRow("no to all") << "cmdNoAll" << false << false;
        QTest::newRow("cancel") << "cmdCancel" << true << false;
    }
    void fileCloseAsksWithFourButtons() {
        QFETCH(QString, button);
        QFETCH(bool, stays);
        QFETCH(bool, saved);
        QFile::remove(env.file("closed.sql"));
        auto main = started();
        frmQuery *query = edited(*main, "select 1 from dual");
        QStringList asked;
        prompt.dialogHandlers.enqueue(answer(button, &asked));
        prompt.fileAnswers.enqueue(env.file("closed.sql"));
        main->action("mnuFileClose")->trigger();
        QCOMPARE(asked, QStringList{"The query ' Query - Untitled1' has unsaved changes.  "});
        QCOMPARE(isOpen(*main, query), stays);
        QCOMPARE(QFile::exists(env.file("closed.sql")), saved);
        QCOMPARE(main->NoToAll, button == "cmdNoAll");
    }

    // No To All: later windows close without a question, until a new window is made.
    void noToAllLastsUntilTheNextWindow() {
        auto main = started();
        frmQuery *first = edited(*main, "a");
        frmQuery *second = edited(*main, "b");
        main->mdiArea->setActiveSubWindow(main->subWindowOf(first));
        prompt.dialogHandlers.enqueue(answer("cmdNoAll"));
        main->mnuFileClose_Click();
        main->subWindowOf(second)->close();
        QVERIFY(main->queryWindows().isEmpty());
        QCOMPARE(prompt.dialogs, QStringList{"frmSavePrompt"});
        main->action("mnuFileNew")->trigger();
        QVERIFY(!main->NoToAll);
    }

    // Closing the main window asks for each changed window; Cancel keeps everything open.
    void mainWindowCloseAsksForEachWindow_data() {
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("closed");
        QTest::newRow("no, no to all") << QStringList{"cmdNo", "cmdNoAll"} << true;
        QTest::newRow("no, cancel") << QStringList{"cmdNo", "cmdCancel"} << false;
    }
    void mainWindowCloseAsksForEachWindow() {
        QFETCH(QStringList, buttons);
        QFETCH(bool, closed);
        auto main = started();
        main->show();
        for (const char *text : {"a", "b", "c"})
            edited(*main, text);
        for (const QString &button : buttons)
            prompt.dialogHandlers.enqueue(answer(button));
        main->close();
        QCOMPARE(prompt.dialogs.size(), buttons.size());
        QCOMPARE(main->isVisible(), !closed);
        if (!closed) {
            QCOMPARE(main->queryWindows().size(), 3);
            QVERIFY(!main->queryWindows()[0]->UnSavedChanges()); // answered No
            QVERIFY(main->queryWindows()[1]->UnSavedChanges());
        }
    }

    // Clearing the editor is a change: closing then asks.
    void clearingMarksTheWindowChanged() {
        auto main = started();
        frmQuery *query = main->New_Query();
        query->txtSQL->setPlainText("select 1");
        query->setUnSavedChanges(false);
        main->Clear_Window();
        QVERIFY(query->UnSavedChanges());
        prompt.buttonAnswers.enqueue(QMessageBox::Cancel);
        main->subWindowOf(query)->close();
        QVERIFY(isOpen(*main, query));
    }

    // Add to Favourites: OK appends and rebuilds the tree; Cancel adds nothing; a double-click
    // opens the file; a favourite whose file is gone gives the open message.
    void favouritesFromTheMainWindow() {
        QDir(QFileInfo(favouritesFilePath()).path()).removeRecursively();
        auto main = started();
        frmQuery *query = edited(*main, "select 1 from dual");
        prompt.fileAnswers.enqueue(env.file("fav.sql"));
        QVERIFY(main->Save_File(query, false));
        QVERIFY(main->action("mnuFileAddFav")->isEnabled());
        prompt.dialogHandlers.enqueue([](QDialog &dialog) {
            auto &name = static_cast<frmFavorites &>(dialog);
            name.txtName->setText("Daily, checks");
            name.cmdOK->click();
            return name.result();
        });
        main->action("mnuFileAddFav")->trigger();
        prompt.dialogHandlers.enqueue([](QDialog &dialog) {
            auto &name = static_cast<frmFavorites &>(dialog);
            name.txtName->setText("never");
            name.cmdCancel->click();
            return name.result();
        });
        main->action("mnuFileAddFav")->trigger();
        QCOMPARE(bytesOf(favouritesFilePath()),
                 ("Daily, checks|" + env.file("fav.sql") + "\r\n").toUtf8());
        QTreeWidgetItem *root = main->trvQueries->topLevelItem(0);
        QCOMPARE(root->childCount(), 1);
        QCOMPARE(root->child(0)->text(0), QString("Daily, checks"));

        main->trvQueries->setCurrentItem(root->child(0));
        emit main->trvQueries->itemDoubleClicked(root->child(0), 0);
        QCOMPARE(main->activeQuery()->windowTitle(), "Query - " + env.file("fav.sql"));
        QCOMPARE(main->activeQuery()->txtSQL->toPlainText(), QString("select 1 from dual\n"));

        QFile::remove(env.file("fav.sql"));
        QTest::mouseRelease(main->trvQueries->viewport(), Qt::RightButton);
        main->findChild<QMenu *>("mnuPopup2")->hide();
        main->action("mnuPopup2OpenQuery")->trigger();
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages[0].text.startsWith("There was a problem opening the file '"));
    }

    // A favourite that cannot be saved says so and is reported.
    void favouriteThatCannotBeSaved() {
        auto main = started();
        prompt.dialogHandlers.enqueue([](QDialog &dialog) {
            static_cast<frmFavorites &>(dialog).cmdOK->click();
            return dialog.result();
        });
        main->Add_To_Favourites(); // no query window is active
        QCOMPARE(prompt.messages.size(), 1);
        QVERIFY(prompt.messages[0].text.startsWith(
            "A problem was encountered whilst saving this query to favourites :"));
        QCOMPARE(prompt.dialogs, QStringList({"frmFavorites", "frmError"}));
    }

    void savePromptLooksRight() {
        frmSavePrompt dialog;
        QCOMPARE(dialog.windowTitle(), QString("Brindlemark"));
        QCOMPARE(dialog.Label2->text(), QString("Do you wish to save the changes ?"));
        QVERIFY(dialog.cmdYes->isDefault());
        dialog.show();
        dialog.close(); // the close box answers Cancel
        QCOMPARE(dialog.Response, frmSavePrompt::kCancel);
        dialog.cmdNoAll->click();
        QCOMPARE(dialog.Response, frmSavePrompt::kNoToAll);
    }
};

QTEST_MAIN(tst_query_documents)
#include "tst_query_documents.moc"
