#pragma once

// The data dictionary tree: the USER views of the dictionary, one flat level, read the first time
// the Dictionary tab is shown while connected. A view is opened as "open this SQL".

#include "browser/KeyedTree.h"

#include <QObject>

class QAction;
class QMenu;
class QTreeWidget;

class DictionaryTree : public QObject {
    Q_OBJECT
public:
    DictionaryTree(QTreeWidget *tree, QMenu *popup, QAction *open, QObject *parent = nullptr);

    void Load_Dictionary();
    // True until a load has added a node: the tab loads the tree only while it is empty.
    bool empty() const;
    // Asks for the selected view to be opened; nothing when none is selected.
    void Open_Table();

signals:
    void openSql(const QString &sql);

private:
    KeyedTree nodes_;
};
