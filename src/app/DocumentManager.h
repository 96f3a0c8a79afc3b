#pragma once

// The query windows as documents: opening a file into a new window, saving a window's text, and
// the questions asked before a changed window closes (with its No To All).

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;
class frmQuery;

class QueryDocumentManager {
public:
    // What the manager needs of the main window.
    struct Hooks {
        std::function<frmQuery *()> newWindow;
        std::function<QList<frmQuery *>()> windows;
        QWidget *dialogParent = nullptr;
    };
    explicit QueryDocumentManager(Hooks hooks);

    // Set by a "No To All" answer: windows close without a question until a new one is made.
    bool NoToAll = false;
    // Query windows made so far: it numbers their captions and is never reused.
    std::int32_t QueryCount = 0;

    void showOpenDialog();
    // Opens the file in a new window; a file that cannot be read is reported.
    void openFile(const QString &path);
    // Saves the window's text; asks for a name when saveAs is set or it has none. True when the
    // file was written; a cancelled dialog or a failed write (which is reported) gives false.
    bool save(frmQuery *query, bool saveAs);
    // Saves every changed window, asking a name for those without one.
    void saveAll();

    // A new window that runs the statement at once (opening a table, view or dictionary view):
    // captioned "Query - Untitled" and its number, not marked as changed.
    void openTable(const QString &sql);

    enum class CloseWay { CloseBox, Command };
    // Asks about unsaved changes as the way of closing wants; true when the window may close.
    bool confirmClose(frmQuery *query, CloseWay way);
    // Asks for every window, as closing the program does; false at the first Cancel.
    bool confirmCloseAll();

private:
    Hooks hooks_;
};
