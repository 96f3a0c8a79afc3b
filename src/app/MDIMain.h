#pragma once

// The main window: menus, toolbar, status bar, the left browser panel with its three trees, the
// splitter bar beside it, and the query windows in the remaining area. Behaviour lives in the
// classes it wires together; this class owns the controls and the window's own properties.

#include "DocumentManager.h"

#include <QHash>
#include <QMainWindow>
#include <cstdint>
#include <memory>

class QAction;
class HistoryPanel;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class SplitterBar;
class FavouritesTree;
class frmLogin;
class frmQuery;

class MDIMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kBrowserWidth = 3660;
    static constexpr int kBrowserMinimumWidth = 1935;

    // What a command needs to be available.
    enum class Needs {
        Nothing,
        QueryWindow,
        IdleQueryWindow,    // a query window whose batch is not running
        RunningQueryWindow, // a query window whose batch is running
        FileName,
        Connection,
        NoConnection
    };

    explicit MDIMain(QWidget *parent = nullptr);
    ~MDIMain() override;

    // The window's load: trace window, caption, centring, Initialise_Form, showing.
    void Form_Load();
    void Initialise_Form();
    void Show_Browser(bool show);
    frmQuery *New_Query();

    // Query documents: opening, saving and the questions before a changed window closes.
    void Show_Open_Dialog();
    void Open_File(const QString &path);
    // Saves the window's text; asks for a name when saveAs is set or it has none. True when the
    // file was written; a cancelled dialog or a failed write (which is reported) gives false.
    bool Save_File(frmQuery *query, bool saveAs);
    // Saves every changed window, asking a name for those without one.
    void Save_All();
    void mnuFileClose_Click();
    // Favourites: names the active window's file and adds it to the list.
    void Add_To_Favourites();
    FavouritesTree *favourites() const { return favourites_; }
    // Creates PLAN_TABLE; true when it was created or the database refused the statement (the
    // table exists already), false after any other failure, which is reported.
    bool Create_Plan_Table();

    // The query window of the active child, or nullptr.
    frmQuery *activeQuery() const;
    QList<frmQuery *> queryWindows() const;
    QMdiSubWindow *subWindowOf(frmQuery *query) const;

    // Log-on: the Connect and Disconnect commands and what they leave behind.
    void mnuFileConnect_Click();
    void mnuFileDisconnect_Click();
    bool Connected() const;
    // The files to open after the first log-on (set from the command line before start-up).
    static QStringList &startFiles();
    HistoryPanel *historyPanel() const { return history_; }
    // Offers back the query windows a run that did not end normally left unsaved.
    void restoreUnsavedWork();
    QString UserID;
    QString ServiceName;
    // The log-on dialog while it is kept after a Cancel, else nullptr.
    frmLogin *heldLogin() const { return login_.get(); }

    // Commands routed to the active query window; nothing happens when there is none.
    void mnuQueryExecute_Click();
    // Stops the active window's running batch.
    void mnuQueryCancel_Click();
    // Output choice 0 (grid), 1 (comma-separated text) or 2 (file).
    void setOutputChoice(int index);

    // Commands.
    void mnuFileExit_Click();
    // Prints the focused pane of the active query window: the editor, the text results or the
    // messages as text, the results grid as a table; other panes get a warning.
    void mnuFilePrint_Click();
    void mnuFilePrintPreview_Click();
    void mnuHelpAbout_Click();
    void mnuHelpContents_Click();
    void mnuViewOptions_Click();
    // The edit routines: they act on the focused control of the active query window and skip
    // whatever cannot be done (no window, no selection, an empty clipboard) without a word.
    void Cut();
    void Copy();
    void Paste();
    void SelectAll();
    void Undo();
    // Empties the SQL editor of the active query window.
    void Clear_Window();
    void Toolbar_ButtonClick(const QString &key);

    // The menu item or toolbar button of the given name or key.
    QAction *action(const QString &name) const { return actions_.value(name); }
    QToolButton *toolButton(const QString &key) const { return toolButtons_.value(key); }
    QLabel *statusPanel(int index) const;

private:
    // Declared before the properties that name its fields.
    QueryDocumentManager documents_;

public:
    // The document manager's counters, as the main window's properties.
    std::int32_t &QueryCount = documents_.QueryCount;
    bool &NoToAll = documents_.NoToAll;
    bool Dragging = false;
    QString HelpFile;

    QWidget *picLeft;
    QTabWidget *tabLeft;
    QTreeWidget *trvObjects;
    QTreeWidget *trvDictionary;
    QTreeWidget *trvQueries;
    SplitterBar *picVBar;
    QToolBar *Toolbar;
    QMdiArea *mdiArea;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool closeAllQueries();
    // A query window's close: true when it was stopped.
    bool closingQueryWindow(QMdiSubWindow *sub, QCloseEvent *event);
    // Enables each command by what it needs: a query window, a file name, a connection.
    void updateCommandStates();
    QAction *addCommand(const QString &name, const QString &caption, Needs needs,
                        void (MDIMain::*run)());
    void mnuFileNew_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuQueryRGrid_Click();
    void mnuQueryRText_Click();
    void mnuQueryRFile_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontal_Click();
    void mnuWindowTileVertical_Click();
    void printActivePane(bool preview);
    void mnuViewRefresh_Click();
    void buildMenus();
    void buildToolbar();
    void buildLeftPanel();
    void buildStatusBar();
    void layOutLeftPanel();
    int browserWidth() const;
    void setResultTicks(const QString &choice);
    void fillWindowMenu();
    // Arranges the query windows: 0 cascade, 1 tile horizontally, 2 tile vertically.
    void arrange(int how);
    void activateSubWindow(QMdiSubWindow *sub);

    std::unique_ptr<frmLogin> login_;
    QString tickedChoice_; // the output choice the "Results in" ticks show
    QHash<QString, QAction *> actions_;
    QHash<QAction *, Needs> needs_;
    QHash<QString, QToolButton *> toolButtons_;
    QList<QLabel *> statusPanels_;
    class QMenu *windowMenu_ = nullptr;
    // File > Close and closing the main window ask with the four-button prompt.
    bool closingByCommand_ = false;
    FavouritesTree *favourites_ = nullptr;
    HistoryPanel *history_ = nullptr;
};

// Closes the connection and every window of the program.
void Close_Application();
