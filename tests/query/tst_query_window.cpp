// The query window's state: tabs and panes, output modes, Reset, options at load, the record
// limit, and the layout of its panels.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "common/Twips.h"
#include "editor/SqlEditor.h"
#include "query/QueryRunner.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

Q_DECLARE_METATYPE(AppOptionsRecord)

class tst_query_window : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

private slots:
    void init() { AppOptions = {"Grid", 1, 0, "", 0, 1}; }

    void optionsAppliedAtLoad_data() {
        QTest::addColumn<AppOptionsRecord>("options");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("limitPanel");
        QTest::newRow("defaults") << AppOptionsRecord{"Grid", 1, 0, "", 0, 1} << "Grid"
                                  << QStringList{"results", "messages", "statistics"} << "results"
                                  << "No Record Restriction  ";
        QTest::newRow("text, plan, limit")
            << AppOptionsRecord{"comma seperated values(csv)", 1, 1, "SELECT 1", 250, 1}
            << "Comma Seperated Values(CSV)"
            << QStringList{"results", "messages", "statistics", "ep"} << "results"
            << "250 Record Restriction  ";
        QTest::newRow("no results") << AppOptionsRecord{"File", 0, 0, "", 0, 1} << "File"
                                    << QStringList{"messages", "statistics"} << "messages"
                                    << "No Record Restriction  ";
        QTest::newRow("unknown output falls back to grid")
            << AppOptionsRecord{"Spreadsheet", 1, 0, "", 5, 1} << "Grid"
            << QStringList{"results", "messages", "statistics"} << "results"
            << "5 Record Restriction  ";
    }
    void optionsAppliedAtLoad() {
        QFETCH(AppOptionsRecord, options);
        QFETCH(QString, output);
        QFETCH(QStringList, tabs);
        QFETCH(QString, selected);
        QFETCH(QString, limitPanel);
        AppOptions = options;
        frmQuery window;
        QCOMPARE(window.cboResults->currentText(), output);
        QCOMPARE(window.tabKeys(), tabs);
        QCOMPARE(window.selectedTabKey(), selected);
        QCOMPARE(window.statusPanel(3)->text(), limitPanel);
        QCOMPARE(window.txtSQL->toPlainText(), options.QueryTemplate + "\n");
        QCOMPARE(window.txtSQL->textCursor().selectedText().size(),
                 options.QueryTemplate.size() + 1);
        QVERIFY(!window.UnSavedChanges());
        QCOMPARE(window.FileName(), QString());
    }

    void controlsAndPanels() {
        frmQuery window;
        QCOMPARE(window.chkShowResults->text(), QString("Show Results"));
        QCOMPARE(window.chkShowPlan->text(), QString("Show Execution Plan"));
        QCOMPARE(window.Label1->text(), QString("Record Limit:"));
        QStringList items;
        for (int i = 0; i < window.cboResults->count(); ++i)
            items << window.cboResults->itemText(i);
        QCOMPARE(items, QStringList({"Grid", "Comma Seperated Values(CSV)", "File"}));
        QCOMPARE(window.statusPanel("reccount"), window.statusPanel(2));
        QCOMPARE(window.statusPanel(5)->text(), QString("CAPS"));
        QCOMPARE(window.statusPanel(6)->text(), QString("NUM"));
        // Every control a screen reader reaches has a name to announce.
        for (QWidget *widget : window.findChildren<QWidget *>()) {
            if (widget->objectName().isEmpty() || !widget->focusPolicy())
                continue;
            const QString announced = widget->accessibleName().isEmpty()
                                          ? widget->property("text").toString()
                                          : widget->accessibleName();
            QVERIFY2(!announced.isEmpty(), qPrintable(widget->objectName()));
        }
        QCOMPARE(window.txtSQL->accessibleName(), QString("SQL editor"));
        QCOMPARE(window.grdResults->accessibleName(), QString("Results grid"));
        QCOMPARE(window.txtMessage->accessibleName(), QString("Messages"));
        QCOMPARE(window.grdEP->accessibleName(), QString("Execution plan"));
    }

    void tabsComeAndGoWithTheirBoxes() {
        frmQuery window;
        window.chkShowResults->click(); // off
        QCOMPARE(window.tabKeys(), QStringList({"messages", "statistics"}));
        QCOMPARE(window.selectedTabKey(), QString("messages"));
        QCOMPARE(window.visiblePane(), window.txtMessage);
        window.chkShowResults->click(); // on again: back in first place
        QCOMPARE(window.tabKeys(), QStringList({"results", "messages", "statistics"}));
        QCOMPARE(window.selectedTabKey(), QString("results"));
        window.chkShowPlan->click();
        QCOMPARE(window.tabKeys().last(), QString("ep"));
        QCOMPARE(window.selectedTabKey(), QString("ep"));
        QCOMPARE(window.visiblePane(), window.grdEP);
        // Running the handlers again while checked never duplicates a tab.
        window.chkShowPlan_Click();
        window.chkShowResults_Click();
        QCOMPARE(window.tabKeys(), QStringList({"results", "messages", "statistics", "ep"}));
        window.chkShowPlan->click(); // off: the last tab is selected
        QCOMPARE(window.tabKeys(), QStringList({"results", "messages", "statistics"}));
        QCOMPARE(window.selectedTabKey(), QString("statistics"));
        QCOMPARE(window.visiblePane(), window.lvwStats);
    }

    // An assistive tool toggles a box through its accessible action, not a click: the tab
    // must follow all the same.
    void boxesFollowEveryChangeOfValue() {
        frmQuery window;
        QAccessibleInterface *plan = QAccessible::queryAccessibleInterface(window.chkShowPlan);
        QVERIFY(plan && plan->actionInterface());
        plan->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(window.chkShowPlan->isChecked());
        QCOMPARE(window.tabKeys().last(), QString("ep"));
        window.chkShowResults->setChecked(false);
        QCOMPARE(window.tabKeys(), QStringList({"messages", "statistics", "ep"}));
        plan->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(window.tabKeys(), QStringList({"messages", "statistics"}));
    }

    // A window made small and then given its real size (maximised in the main window) gets the
    // editor height of a new window, not the one the small size forced.
    void newWindowTakesItsSplitterOnceSized() {
        frmQuery window;
        window.show();
        window.resize(bm::twipsToPixels(8460), bm::twipsToPixels(1800));
        QCOMPARE(window.layout().splitterStrip.top(), 1000);
        window.resize(bm::twipsToPixels(12000), bm::twipsToPixels(9000));
        QCOMPARE(window.layout().splitterStrip.top(), 2000);
        QCOMPARE(window.layout().editorPanel.height(), 1630);
        // Once the user has placed the splitter, it stays where they put it.
        window.layout().splitterDown();
        window.layout().splitterMove(1500);
        window.layout().splitterUp();
        window.resize(bm::twipsToPixels(12000), bm::twipsToPixels(8000));
        QCOMPARE(window.layout().splitterStrip.top(), 3500);
    }

    void panesFollowTheOutputChoice() {
        frmQuery window;
        QSignalSpy shown(&window, &frmQuery::outputChoiceShown);
        QCOMPARE(window.visiblePane(), window.grdResults);
        window.Add_Message("something");
        window.cboResults->setCurrentIndex(1);
        window.cboResults_Click();
        QCOMPARE(window.visiblePane(), window.txtResults);
        QVERIFY(window.txtMessage->toPlainText().isEmpty()); // the change resets the output
        QCOMPARE(shown.last().at(0).toString(), QString("Comma Seperated Values(CSV)"));
        // File leaves the visible pane as it is; the next click on Results shows the text.
        window.cboResults->setCurrentIndex(0);
        window.cboResults_Click();
        window.cboResults->setCurrentIndex(2);
        window.cboResults_Click();
        QCOMPARE(window.visiblePane(), window.grdResults);
        window.selectTab("messages");
        window.selectTab("results");
        QCOMPARE(window.visiblePane(), window.txtResults);
        // Only one pane is ever visible.
        int visible = 0;
        for (QWidget *pane :
             {static_cast<QWidget *>(window.txtResults), static_cast<QWidget *>(window.grdResults),
              static_cast<QWidget *>(window.grdEP), static_cast<QWidget *>(window.lvwStats),
              static_cast<QWidget *>(window.txtMessage)})
            visible += pane->isHidden() ? 0 : 1;
        QCOMPARE(visible, 1);
    }

    void messagesAndReset() {
        frmQuery window;
        window.Add_Message("first");
        window.Add_Message("second");
        window.Add_Message("");
        window.Add_Message("third");
        QCOMPARE(window.txtMessage->toPlainText(), QString("\nthird"));
        QCOMPARE(window.visiblePane(), window.grdResults); // a message does not switch panes
        window.txtResults->setPlainText("a,b");
        window.statusPanel(1)->setText("Running");
        window.statusPanel(2)->setText("5 rows");
        new QTreeWidgetItem(window.lvwStats, {"Total Records", "5"});
        window.runner().figures.RecordCount = "5";
        window.Reset();
        QVERIFY(window.txtResults->toPlainText().isEmpty());
        QVERIFY(window.txtMessage->toPlainText().isEmpty());
        QVERIFY(window.statusPanel(1)->text().isEmpty());
        QVERIFY(window.statusPanel(2)->text().isEmpty());
        QCOMPARE(window.lvwStats->topLevelItemCount(), 0);
        QCOMPARE(window.runner().figures.RecordCount, QString("5")); // counts outlive Reset
        QVERIFY(prompt.messages.isEmpty() && prompt.dialogs.isEmpty());
    }

    void recordLimitBox() {
        frmQuery window;
        window.txtMaxRecords->clear();
        window.txtMaxRecords->setFocus();
        QTest::keyClicks(window.txtMaxRecords, "2a-5.0");
        QCOMPARE(window.txtMaxRecords->text(), QString("250"));
        QCOMPARE(window.MaxRecords(), 250);
        QCOMPARE(window.statusPanel(3)->text(), QString("250 Record Restriction  "));
        window.txtMaxRecords->setText("2147483647");
        QTest::keyClick(window.txtMaxRecords, Qt::Key_End);
        QTest::keyClick(window.txtMaxRecords, Qt::Key_0); // would exceed the limit: refused
        QCOMPARE(window.txtMaxRecords->text(), QString("2147483647"));
        QCOMPARE(window.MaxRecords(), 2147483647);
        window.txtMaxRecords->selectAll();
        QTest::keyClick(window.txtMaxRecords, Qt::Key_Backspace);
        QCOMPARE(window.MaxRecords(), 0);
        QCOMPARE(window.statusPanel(3)->text(), QString("No Record Restriction  "));
    }

    void activationPutsTheCaretAtTheEnd() {
        AppOptions.QueryTemplate = "";
        frmQuery window;
        QCOMPARE(window.txtSQL->toPlainText(), QString("\n"));
        window.Form_Activate();
        QCOMPARE(window.txtSQL->textCursor().position(), 1);
        QVERIFY(!window.txtSQL->textCursor().hasSelection());
    }

    void fileNameTitlesTheWindow() {
        frmQuery window;
        window.setWindowTitle(" Query - Untitled1");
        QSignalSpy changed(&window, &frmQuery::fileNameChanged);
        window.setFileName("/tmp/q.sql");
        QCOMPARE(window.windowTitle(), QString("Query - /tmp/q.sql"));
        window.setFileName("");
        QCOMPARE(window.windowTitle(), QString("Query - /tmp/q.sql"));
        QCOMPARE(changed.size(), 2);
    }

    void layoutInTwips() {
        frmQuery window;
        window.show();
        window.resize(bm::twipsToPixels(8460), bm::twipsToPixels(6000));
        QueryWindowLayout &layout = window.layout();
        QCOMPARE(layout.splitterStrip.top(), 2000);
        QCOMPARE(layout.editorPanel.top(), 370);
        QCOMPARE(layout.editorPanel.height(), 1630);
        QCOMPARE(layout.outputPanel.top(), 2100);
        QCOMPARE(layout.outputPanel.height(), layout.windowHeight() - 2100 - 690);
        QCOMPARE(layout.leftPanel.width(), 0);
        QCOMPARE(layout.editorPanel.left(), 40);
        QCOMPARE(layout.editorPanel.width(), layout.windowWidth() - 200);
        QCOMPARE(window.picPanelTopRight->geometry().top(), bm::twipsToPixels(370));

        // Dragging: the bar stops 1000 from the top and 1500 from the bottom.
        layout.splitterDown();
        QVERIFY(layout.SplitterMoving());
        QVERIFY(window.picSplitterVertical->isVisible());
        layout.splitterMove(-5000);
        QCOMPARE(layout.splitterBar.top(), 1000);
        layout.splitterMove(100000);
        QCOMPARE(layout.splitterBar.top(), layout.windowHeight() - 1500);
        QCOMPARE(layout.splitterStrip.top(), 2000); // panels wait for the release
        layout.splitterMove(1000);
        layout.splitterUp();
        QVERIFY(!layout.SplitterMoving());
        QCOMPARE(layout.splitterStrip.top(), 3000);
        QCOMPARE(layout.outputPanel.top(), 3100);
        QCOMPARE(layout.editorPanel.height(), 2630);

        // A shorter window pulls the splitter up, but never above 1000.
        window.resize(bm::twipsToPixels(8460), bm::twipsToPixels(3500));
        QCOMPARE(layout.splitterStrip.top(), layout.windowHeight() - 1000);
        window.resize(bm::twipsToPixels(8460), bm::twipsToPixels(1500));
        QCOMPARE(layout.splitterStrip.top(), 1000);
        // Never narrower than 3000 twips.
        window.resize(bm::twipsToPixels(1000), bm::twipsToPixels(6000));
        QCOMPARE(window.width(), bm::twipsToPixels(3000));
    }

    void gridFollowsThePanel() {
        frmQuery window;
        window.show();
        window.resize(bm::twipsToPixels(8460), bm::twipsToPixels(6000));
        const QRect panel = window.picPanelBottomRight->rect();
        const QRect pane = window.grdResults->geometry();
        QCOMPARE(pane.left(), bm::twipsToPixels(45));
        QCOMPARE(pane.top(), 0);
        QCOMPARE(pane.height(), bm::twipsToPixels(bm::pixelsToTwips(panel.height()) - 500));
        for (QWidget *other :
             {static_cast<QWidget *>(window.grdEP), static_cast<QWidget *>(window.txtResults),
              static_cast<QWidget *>(window.txtMessage), static_cast<QWidget *>(window.lvwStats)})
            QCOMPARE(other->geometry(), pane);
        QVERIFY(window.TabStrip1->geometry().top() >= pane.bottom());
    }
};

QTEST_MAIN(tst_query_window)
#include "tst_query_window.moc"
