// The SQL editor's keys and the edit commands of the Edit menu and the toolbar, on the real main
// window with a query window in it, as a user drives them from the keyboard.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/MDIMain.h"
#include "common/SelectTextOnFocus.h"
#include "common/frmTrace.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "editor/SqlHighlighter.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QAction>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QtTest>

class tst_edit_commands : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;
    std::unique_ptr<MDIMain> main;
    frmQuery *query = nullptr;

    // Gives the control the keyboard focus in the active main window.
    bool focus(QWidget *control) {
        control->setFocus();
        return QApplication::focusWidget() == control;
    }

    static QString clipboard() { return QGuiApplication::clipboard()->text(); }

private slots:
    void init() {
        AppOptions = AppOptionsRecord{};
        prompt.dialogHandlers.enqueue([](QDialog &) { return int(QDialog::Rejected); });
        main = std::make_unique<MDIMain>();
        main->Form_Load();
        query = main->New_Query();
        main->show();
        QApplication::setActiveWindow(main.get());
        if (!QTest::qWaitForWindowActive(main.get()))
            QSKIP("the platform gives no active window");
        query->setUnSavedChanges(false);
        QGuiApplication::clipboard()->setText("earlier");
    }
    void cleanup() {
        main.reset();
        Close_Connection();
    }

    // What is typed stays as typed: Enter makes a new line, and no character is special.
    void typingKeepsEveryCharacter() {
        SqlEditor *editor = query->txtSQL;
        QVERIFY(focus(editor));
        editor->clear();
        QTest::keyClicks(editor, "select ~\\{}");
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, "from");
        QCOMPARE(editor->toPlainText(), QString("select ~\\{}\nfrom"));
        QVERIFY(query->UnSavedChanges());
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(editor->toPlainText() != QString("select ~\\{}\nfrom"));
    }

    // Ctrl+F12 empties the editor (undoably, marking the window changed); Ctrl+Shift+F8 shows the
    // trace window. Near misses do nothing.
    void windowKeysWithExactModifiers() {
        SqlEditor *editor = query->txtSQL;
        QVERIFY(focus(editor));
        editor->setPlainText("SELECT 1 FROM DUAL");
        query->setUnSavedChanges(false);
        QTest::keyClick(editor, Qt::Key_F12);
        QTest::keyClick(editor, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor->toPlainText(), QString("SELECT 1 FROM DUAL"));
        QVERIFY(!query->UnSavedChanges());
        QTest::keyClick(editor, Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(editor->toPlainText(), QString());
        QVERIFY(query->UnSavedChanges());
        main->Undo();
        QCOMPARE(editor->toPlainText(), QString("SELECT 1 FROM DUAL"));
        // The same key from another control of the window.
        query->selectTab("messages");
        query->TabStrip1_Click();
        QVERIFY(focus(query->txtMessage));
        QTest::keyClick(query->txtMessage, Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(editor->toPlainText(), QString());

        QVERIFY(!existingTraceWindow() || !existingTraceWindow()->isVisible());
        QTest::keyClick(query->txtMessage, Qt::Key_F8, Qt::ControlModifier);
        QVERIFY(!existingTraceWindow() || !existingTraceWindow()->isVisible());
        QTest::keyClick(query->txtMessage, Qt::Key_F8, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(existingTraceWindow() && existingTraceWindow()->isVisible());
        existingTraceWindow()->close();
    }

    // Entered by keyboard the editor's text is selected; entered by the mouse the caret stays.
    void focusByKeyboardSelects() {
        SqlEditor *editor = query->txtSQL;
        editor->setPlainText("SELECT 1");
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(3);
        editor->setTextCursor(cursor);
        Select_Text_On_Focus(query, editor, Qt::MouseFocusReason);
        QVERIFY(!editor->textCursor().hasSelection());
        QCOMPARE(editor->textCursor().position(), 3);
        Select_Text_On_Focus(query, editor, Qt::TabFocusReason);
        QCOMPARE(editor->textCursor().selectedText(), QString("SELECT 1"));
    }

    void editRoutinesOnTheEditor() {
        SqlEditor *editor = query->txtSQL;
        QVERIFY(focus(editor));
        editor->setPlainText("SELECT ename\nFROM emp");
        // Nothing selected: Cut leaves the clipboard empty and the text as it was.
        main->toolButton("cut")->click();
        QCOMPARE(clipboard(), QString());
        QCOMPARE(editor->toPlainText(), QString("SELECT ename\nFROM emp"));
        main->SelectAll();
        main->action("mnuEditCopy")->trigger();
        QCOMPARE(clipboard(), QString("SELECT ename\nFROM emp"));
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(7);
        cursor.setPosition(12, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
        main->action("mnuEditCut")->trigger();
        QCOMPARE(clipboard(), QString("ename"));
        QCOMPARE(editor->toPlainText(), QString("SELECT \nFROM emp"));
        main->toolButton("paste")->click();
        QCOMPARE(editor->toPlainText(), QString("SELECT ename\nFROM emp"));
        main->toolButton("undo")->click();
        QCOMPARE(editor->toPlainText(), QString("SELECT \nFROM emp"));
        main->toolButton("clear")->click();
        QCOMPARE(editor->toPlainText(), QString());
    }

    // A large paste is one step for Undo.
    void largePasteIsOneUndoStep() {
        SqlEditor *editor = query->txtSQL;
        QVERIFY(focus(editor));
        editor->setPlainText("x");
        editor->moveCursor(QTextCursor::End);
        QString script;
        for (int i = 0; i < 20000; ++i)
            script += "SELECT a FROM t;\n";
        QGuiApplication::clipboard()->setText(script);
        main->Paste();
        QCOMPARE(editor->toPlainText(), "x" + script);
        main->Undo();
        QCOMPARE(editor->toPlainText(), QString("x"));
    }

    // The read-only panes give their text but keep it.
    void editRoutinesOnAReadOnlyPane() {
        query->selectTab("messages");
        query->TabStrip1_Click();
        query->Add_Message("Query Complete.");
        QVERIFY(focus(query->txtMessage));
        main->SelectAll();
        main->Cut();
        QVERIFY(clipboard().contains("Query Complete."));
        QVERIFY(query->txtMessage->toPlainText().contains("Query Complete."));
    }

    // Select All takes every cell of a grid; a block of cells is copied as tab-separated lines.
    void gridSelectAllAndCopy() {
        Build_Connection_String("demo", "scott", "tiger");
        QVERIFY(Open_Connection());
        query->Load_Recordset_Into_Grid(
            Get_Recordset("SELECT deptno, dname, 'a\tb' x FROM dept ORDER BY 1", 0),
            query->grdResults, true);
        ResultGrid *grid = query->grdResults;
        grid->show();
        QVERIFY(focus(grid));
        main->action("mnuEditDSelectAll")->trigger();
        QCOMPARE(grid->selectionModel()->selectedIndexes().size(), 4 * 4);
        main->Copy();
        QCOMPARE(clipboard().split('\n').value(0), QString("10\tACCOUNTING\t\"a\tb\""));
        QCOMPARE(clipboard().count('\n'), 4);
        // A block in the middle, by keyboard.
        grid->selectionModel()->clearSelection();
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(1, 1), grid->model()->index(2, 2)),
            QItemSelectionModel::Select);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard(), QString("20\tRESEARCH\n30\tSALES\n"));
        // Nothing to cut or paste into a grid.
        main->Cut();
        main->Paste();
        QCOMPARE(grid->TextMatrix(2, 2), QString("RESEARCH"));
    }

    // The colouring option takes effect at once in every open window.
    void colouringFollowsTheOption() {
        QVERIFY(query->txtSQL->highlighter()->colouring());
        AppOptions.ColourCodeScript = 0;
        prompt.dialogHandlers.enqueue([](QDialog &) { return int(QDialog::Accepted); });
        main->action("mnuViewOptions")->trigger();
        QVERIFY(!query->txtSQL->highlighter()->colouring());
        AppOptions.ColourCodeScript = 1;
        query->applyColourOption();
        QVERIFY(query->txtSQL->highlighter()->colouring());
    }
};

QTEST_MAIN(tst_edit_commands)
#include "tst_edit_commands.moc"
