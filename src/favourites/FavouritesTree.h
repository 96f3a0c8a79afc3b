#pragma once

// The queries tree of the Favorites tab: the root "Queries" with one node per favourite, shown
// in name order. A double-click or the pop-up menu's "Open Query" on a favourite asks for its
// file to be opened.

#include <QObject>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

class FavouritesTree : public QObject {
    Q_OBJECT
public:
    // The tree, and the pop-up menu with its "Open Query" item, belong to the main window.
    FavouritesTree(QTreeWidget *tree, QMenu *popup, QAction *openQuery, QObject *parent = nullptr);

    // Rebuilds the tree from the list file.
    void Initialise_Query_Tree();
    // The file of the selected favourite; empty when the root or nothing is selected.
    QString selectedFile() const;

signals:
    void openFile(const QString &path);

private:
    void openSelected();

    QTreeWidget *tree_;
    QMenu *popup_;
    QAction *openQuery_;
};
