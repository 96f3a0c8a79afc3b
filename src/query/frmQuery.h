#pragma once

// A query window: the SQL editor, the option strip, the output panes behind a tab strip, and the
// state a run works on. The run logic, the layout and the grid live in classes of their own.

#include "QueryDocument.h"
#include "QueryWindowLayout.h"
#include "db/core/Recordset.h"

#include <QWidget>
#include <cstdint>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QTabBar;
class QTextEdit;
class SqlEditor;
class QTreeWidget;
class ResultGrid;
class QueryRunner;

class frmQuery : public QWidget {
    Q_OBJECT
public:
    explicit frmQuery(QWidget *parent = nullptr);
    ~frmQuery() override;

    // Public properties.
    QString FileName() const { return document_->fileName(); }
    void setFileName(const QString &name);
    bool UnSavedChanges() const { return document_->unsavedChanges(); }
    void setUnSavedChanges(bool changed) { document_->setUnsavedChanges(changed); }
    // The window's document: its file and its unsaved state.
    QueryDocument &document() const { return *document_; }
    std::int32_t MaxRecords() const { return maxRecords_; }
    void setMaxRecords(std::int32_t value);

    // Runs the selected text, or the whole text, as a batch of statements in the background;
    // nothing happens while the window's batch runs.
    void Run_Queries();
    // Stops the running batch (Esc, the Cancel command).
    void Cancel_Query();
    // A batch of this window is queued or running.
    bool running() const;
    // The window's side of its runs: their figures and state.
    QueryRunner &runner() const { return *runner_; }

    void Add_Message(const QString &text);
    void Reset();
    void TabStrip1_Click();
    void chkShowResults_Click();
    void chkShowPlan_Click();
    void cboResults_Click();
    void Form_Activate();
    // Empties the SQL editor (Ctrl+F12); Undo brings the text back.
    void Clear_Window();
    // Colours keywords in the editor when the option asks for it (ColourCodeScript = 1).
    void applyColourOption();
    // Shows a recordset in a grid (it may still be growing); keepCount makes its rows the
    // statistics' record count.
    void Load_Recordset_Into_Grid(std::shared_ptr<const bm::db::Recordset> recordset,
                                  ResultGrid *grid, bool keepCount);
    void Size_Grid_Columns(ResultGrid *grid);

    // The tab strip by key: the key of the selected tab, selecting by key.
    QString selectedTabKey() const;
    bool selectTab(const QString &key);
    QStringList tabKeys() const;
    // Status panels 1 to 6, or by key ("reccount").
    QLabel *statusPanel(int index) const;
    QLabel *statusPanel(const QString &key) const;
    // The pane currently shown below the tab strip, or nullptr.
    QWidget *visiblePane() const;
    QueryWindowLayout &layout() { return *layout_; }

    // Controls, named as the program names them.
    QCheckBox *chkShowResults;
    QCheckBox *chkShowPlan;
    QComboBox *cboResults;
    QLabel *Label1;
    QLineEdit *txtMaxRecords;
    QWidget *picPanelLeft;
    QWidget *imgSplitter;
    QWidget *picSplitter;
    QWidget *picPanelTopRight;
    SqlEditor *txtSQL;
    QWidget *imgSplitterVertical;
    QWidget *picSplitterVertical;
    QWidget *picPanelBottomRight;
    QTabBar *TabStrip1;
    ResultGrid *grdResults;
    QPlainTextEdit *txtResults;
    QPlainTextEdit *txtMessage;
    QTreeWidget *lvwStats;
    ResultGrid *grdEP;
    QStatusBar *StatusBar1;

signals:
    // The output choice the window shows, for the main window's result-mode ticks.
    void outputChoiceShown(const QString &choice);
    // A batch started or ended.
    void runningChanged(bool running);
    void fileNameChanged(const QString &name);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void buildControls();
    bool addTab(int position, const QString &key, const QString &caption, const QString &image);
    bool removeTab(const QString &key);
    void selectTabIndex(int index);
    void layOutOutputPanel();
    void txtMaxRecords_Change();

    QueryDocument *document_;
    std::unique_ptr<QueryRunner> runner_;
    std::int32_t maxRecords_ = 0;
    std::unique_ptr<QueryWindowLayout> layout_;
    QList<QLabel *> panels_;
};
