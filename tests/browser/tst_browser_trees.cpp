// The schema object tree and the data dictionary tree on the real main window, logged on to the
// sample database: what each folder loads, opening tables and views, refresh, sessions, and the
// dictionary tab.

#include "RunAndWait.h"
#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/MDIMain.h"
#include "browser/DictionaryTree.h"
#include "browser/SchemaTree.h"
#include "common/OpenGestures.h"
#include "common/SelectTextOnFocus.h"
#include "common/frmError.h"
#include "db/frmLogin.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

QStringList texts(const QTreeWidgetItem *node) {
    QStringList out;
    for (int i = 0; i < node->childCount(); ++i)
        out << node->child(i)->text(0);
    return out;
}

QTreeWidgetItem *child(QTreeWidgetItem *node, const QString &text) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == text)
            return node->child(i);
    return nullptr;
}

} // namespace

class tst_browser_trees : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;
    std::unique_ptr<MDIMain> main;

    QTreeWidget *objects() const { return main->trvObjects; }
    QTreeWidgetItem *folder(int index) const { return objects()->topLevelItem(index); }
    static void expand(QTreeWidgetItem *node) {
        node->setExpanded(false);
        node->setExpanded(true);
    }

private slots:
    void init() {
        AppOptions = AppOptionsRecord{};
        QFile::remove(sampleDatabasePath());
        Close_Connection();
        prompt.messages.clear();
        prompt.dialogs.clear();
        prompt.dialogHandlers.enqueue([](QDialog &dialog) {
            auto &login = static_cast<frmLogin &>(dialog);
            login.txtUserId->setText("scott");
            login.txtServiceName->setText("demo");
            login.cmdOK->click();
            return login.result();
        });
        main = std::make_unique<MDIMain>();
        main->Form_Load();
        QVERIFY(main->Connected());
    }
    void cleanup() {
        main.reset();
        Close_Connection();
    }

    void logOnGivesThreeClosedFolders() {
        QCOMPARE(objects()->topLevelItemCount(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(folder(i)->text(0), (QStringList{"Tables", "Views", "Sessions"}[i]));
            QVERIFY(!folder(i)->isExpanded());
            QCOMPARE(folder(i)->childCount(), 1); // the dummy that gives it an expand button
        }
        QCOMPARE(KeyedTree::key(folder(0)), QString("T12345"));
    }

    void tablesAndTheirFolders() {
        QTreeWidgetItem *tables = folder(0);
        expand(tables);
        QCOMPARE(texts(tables), QStringList({"DEPT", "EMP", "BONUS", "SALGRADE"}));
        QTreeWidgetItem *emp = child(tables, "EMP");
        QCOMPARE(texts(emp), QStringList({"Columns", "Indexes", "Constraints", "Triggers"}));
        QTreeWidgetItem *columns = emp->child(0);
        expand(columns);
        QCOMPARE(columns->child(0)->text(0), QString("EMPNO (number(22), Not Null)"));
        QCOMPARE(columns->child(1)->text(0), QString("ENAME (varchar2(10), Null)"));
        QCOMPARE(columns->child(4)->text(0), QString("HIREDATE (date(7), Null)"));
        expand(emp->child(1));
        QCOMPARE(texts(emp->child(1)), QStringList({"EMP_DEPTNO_IX", "PK_EMP"}));
        expand(emp->child(2));
        QCOMPARE(texts(emp->child(2)), QStringList({"PK_EMP", "FK_DEPTNO", "CK_EMP_SAL"}));
        expand(emp->child(3));
        QCOMPARE(texts(emp->child(3)), QStringList{"EMP_ENAME_UPPER"});
        // Constraints of every kind: DEPT has its primary key and a unique one.
        QTreeWidgetItem *dept = child(tables, "DEPT");
        expand(dept->child(2));
        QCOMPARE(texts(dept->child(2)), QStringList({"PK_DEPT", "UK_DEPT_DNAME"}));
        // An empty folder loses its expand button.
        QTreeWidgetItem *deptTriggers = child(tables, "DEPT")->child(3);
        expand(deptTriggers);
        QCOMPARE(deptTriggers->childCount(), 0);
        expand(folder(1));
        QCOMPARE(texts(folder(1)), QStringList{"EMP_DEPT_V"});
        QVERIFY(prompt.messages.isEmpty() && prompt.dialogs == QStringList{"frmLogin"});
    }

    // Expanding again reads the dictionary again; Refresh re-expands what was expanded.
    void expandAgainAndRefresh() {
        QTreeWidgetItem *tables = folder(0);
        expand(tables);
        cnDatabase->execute("CREATE TABLE LATER (ID NUMBER)");
        expand(tables);
        QVERIFY(texts(tables).contains("LATER"));
        cnDatabase->execute("CREATE TABLE LATEST (ID NUMBER)");
        main->show();
        QApplication::setActiveWindow(main.get());
        if (!QTest::qWaitForWindowActive(main.get()))
            QSKIP("the platform gives no active window");
        objects()->setFocus();
        QVERIFY(objects()->hasFocus());
        main->action("mnuViewRefresh")->trigger();
        QVERIFY(folder(0)->isExpanded());
        QVERIFY(texts(folder(0)).contains("LATEST"));
        // The key counter takes the next value while a key is in use, and wraps at 1000000.
        auto *schema = main->findChild<SchemaTree *>();
        schema->NodeKeyCounter = 999999;
        QCOMPARE(schema->Set_Node_Key("EMP"), QString("EMP1000000"));
        QCOMPARE(schema->Set_Node_Key("EMP"), QString("EMP1"));
        schema->nodes().add(nullptr, "A2", "A");
        QCOMPARE(schema->Set_Node_Key("A"), QString("A3"));
    }

    // A table whose name needs quoting lists its columns and opens with a working query.
    void nameThatNeedsQuoting() {
        cnDatabase->execute("CREATE TABLE \"it's a table\" (\"id\" NUMBER)");
        cnDatabase->execute("INSERT INTO \"it's a table\" VALUES (7)");
        QTreeWidgetItem *tables = folder(0);
        expand(tables);
        QTreeWidgetItem *odd = child(tables, "it's a table");
        QVERIFY(odd);
        expand(odd->child(0));
        QCOMPARE(texts(odd->child(0)), QStringList{"id (number(22), Null)"});
        objects()->setCurrentItem(odd);
        emit objects()->itemDoubleClicked(odd, 0);
        frmQuery *query = main->activeQuery();
        QVERIFY(waitForRun(*query));
        QCOMPARE(query->txtSQL->toPlainText(), QString("SELECT * FROM \"it's a table\""));
        QCOMPARE(query->grdResults->TextMatrix(1, 1), QString("7"));
    }

    void openingATable() {
        QTreeWidgetItem *tables = folder(0);
        expand(tables);
        QTreeWidgetItem *emp = child(tables, "EMP");
        objects()->setCurrentItem(emp->child(0)); // a folder: nothing opens
        emit objects()->itemDoubleClicked(emp->child(0), 0);
        const int before = main->queryWindows().size();
        QCOMPARE(main->queryWindows().size(), before);
        objects()->setCurrentItem(emp);
        QTest::keyClick(objects(), Qt::Key_Return); // Enter does what a double-click does
        frmQuery *query = main->activeQuery();
        QVERIFY(waitForRun(*query));
        QCOMPARE(main->queryWindows().size(), before + 1);
        QCOMPARE(query->txtSQL->toPlainText(), QString("SELECT * FROM EMP"));
        QCOMPARE(query->windowTitle(), "Query - Untitled" + QString::number(main->QueryCount));
        QVERIFY(!query->UnSavedChanges());
        QCOMPARE(query->grdResults->Rows(), 15);
        // The pop-up menu's Open, shown for a view.
        expand(folder(1));
        objects()->setCurrentItem(folder(1)->child(0));
        // As a right-click on the schema tree leaves it: the menu shown by that tree.
        main->findChild<QMenu *>("mnuPopup1")
            ->setProperty("owner",
                          QVariant::fromValue<QObject *>(objects()->findChild<OpenGestures *>()));
        main->action("mnuPopup1Open")->trigger();
        QCOMPARE(main->activeQuery()->txtSQL->toPlainText(), QString("SELECT * FROM EMP_DEPT_V"));
    }

    void sessionsAndTheirPlaceholder() {
        expand(folder(2));
        QCOMPARE(folder(2)->childCount(), 1);
        QVERIFY(folder(2)->child(0)->text(0).startsWith("SCOTT ("));
        QVERIFY(KeyedTree::key(folder(2)->child(0)).startsWith("ID:"));
        // Without a connection the sessions cannot be read: a placeholder and no message.
        main->mnuFileDisconnect_Click();
        expand(folder(2));
        QCOMPARE(texts(folder(2)), QStringList{"<Not Available>"});
        QVERIFY(prompt.messages.isEmpty() && prompt.dialogs == QStringList{"frmLogin"});
        // Any other folder reports, labelled with its loader.
        QString source;
        prompt.dialogHandlers.enqueue([&source](QDialog &dialog) {
            source = static_cast<frmError &>(dialog).txtSource->toPlainText();
            return int(QDialog::Accepted);
        });
        expand(folder(0));
        QCOMPARE(folder(0)->childCount(), 0);
        QCOMPARE(prompt.dialogs.last(), QString("frmError"));
        QVERIFY2(source.endsWith("..modDatabase.Get_Recordset..MDIMain.Load_Tables"),
                 qPrintable(source));
    }

    void dictionaryTabLoadsOnceWhileConnected() {
        QTreeWidget *dictionary = main->trvDictionary;
        QCOMPARE(dictionary->topLevelItemCount(), 0); // log-on alone does not fill it
        main->tabLeft->setCurrentIndex(1);
        const int views = dictionary->topLevelItemCount();
        QVERIFY(views > 5);
        QVERIFY(dictionary->findItems("USER_TABLES", Qt::MatchExactly).size() == 1);
        cnDatabase->execute("CREATE TABLE AFTER_LOAD (ID NUMBER)");
        main->tabLeft->setCurrentIndex(0);
        main->tabLeft->setCurrentIndex(1);
        QCOMPARE(dictionary->topLevelItemCount(), views); // kept, not read again
        dictionary->setCurrentItem(dictionary->findItems("USER_TABLES", Qt::MatchExactly)[0]);
        emit dictionary->itemDoubleClicked(dictionary->currentItem(), 0);
        QCOMPARE(main->activeQuery()->txtSQL->toPlainText(), QString("SELECT * FROM USER_TABLES"));
        QVERIFY(waitForRun(*main->activeQuery()));
        QVERIFY(main->activeQuery()->grdResults->Rows() > 1);
    }

    void dictionaryTabBeforeLogOnStaysEmpty() {
        main->mnuFileDisconnect_Click();
        main->tabLeft->setCurrentIndex(1);
        QCOMPARE(main->trvDictionary->topLevelItemCount(), 0);
    }

    void namesInSql() {
        QCOMPARE(sqlName("EMP"), QString("EMP"));
        QCOMPARE(sqlName("A_B$1#"), QString("A_B$1#"));
        QCOMPARE(sqlName("emp"), QString("\"emp\""));
        QCOMPARE(sqlName("a \"b\""), QString("\"a \"\"b\"\"\""));
        QCOMPARE(sqlName("1X"), QString("\"1X\""));
        QCOMPARE(sqlLiteralText("it's"), QString("it''s"));
    }
};

QTEST_MAIN(tst_browser_trees)
#include "tst_browser_trees.moc"
