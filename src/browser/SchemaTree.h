#pragma once

// The schema object tree: Tables, Views and Sessions, each filled from the data dictionary when
// it is expanded, every table with its Columns, Indexes, Constraints and Triggers folders. A
// table or view is opened (double-click, Enter, the pop-up menu's Open) as "open this SQL".

#include "browser/KeyedTree.h"

#include <QObject>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

class SchemaTree : public QObject {
    Q_OBJECT
public:
    // The tree and the pop-up menu (with its one item, Open) belong to the main window.
    SchemaTree(QTreeWidget *tree, QMenu *popup, QAction *open, QObject *parent = nullptr);

    void Initialise_Schema_Tree();
    void trvObjects_Expand(QTreeWidgetItem *node);
    void Load_Tables(QTreeWidgetItem *folder);
    void Load_Views(QTreeWidgetItem *folder);
    void Load_Sessions(QTreeWidgetItem *folder);
    void Load_TableColumns(QTreeWidgetItem *folder, const QString &table);
    void Load_TableIndexes(QTreeWidgetItem *folder, const QString &table);
    void Load_TableConstraints(QTreeWidgetItem *folder, const QString &table);
    void Load_TableTriggers(QTreeWidgetItem *folder, const QString &table);
    // Reloads every expanded folder, as View > Refresh does while the tree has the focus.
    void Refresh_Active_Tree();
    // Asks for the selected table or view to be opened; nothing for any other node.
    void Open_Table();

    // The generated key of a node with this text: the text and a counter that runs from 1 to
    // 1000000 and round again, taking the next value while a key is already in use.
    QString Set_Node_Key(const QString &text);
    qint32 NodeKeyCounter = 0;

    KeyedTree &nodes() { return nodes_; }

signals:
    void openSql(const QString &sql);

private:
    bool openable() const;
    // Adds one node a row of the statement's result, with the text the row gives.
    template <class Text>
    void loadRows(QTreeWidgetItem *folder, const QString &sql, const char *label, const char *image,
                  const char *tag, Text &&text);

    KeyedTree nodes_;
};
