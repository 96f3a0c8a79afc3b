#include "favourites/FavouritesTree.h"

#include "common/ErrorReport.h"
#include "common/Icons.h"
#include "common/OpenGestures.h"
#include "favourites/QueryFiles.h"

#include <QTreeWidget>

namespace {
constexpr int kKeyRole = Qt::UserRole;     // the node's key ("QUERIES" for the root)
constexpr int kTagRole = Qt::UserRole + 1; // a favourite's file
} // namespace

FavouritesTree::FavouritesTree(QTreeWidget *tree, QMenu *popup, QAction *openQuery, QObject *parent)
    : QObject(parent), tree_(tree), popup_(popup), openQuery_(openQuery) {
    const auto favourite = [this] {
        const QTreeWidgetItem *item = tree_->currentItem();
        return item && item->parent();
    };
    new OpenGestures(tree_, popup_, openQuery_, {[this] { openSelected(); }, favourite, favourite});
}

void FavouritesTree::Initialise_Query_Tree() {
    runReporting("..MDIMain.Initialise_Query_Tree", [&] {
        tree_->clear();
        auto *root = new QTreeWidgetItem(tree_, {"Queries"});
        root->setData(0, kKeyRole, "QUERIES");
        root->setIcon(0, iconFor("folderclosed"));
        for (const auto &file : Load_Query_Files()) {
            auto *node = new QTreeWidgetItem(root, {file->QueryName});
            node->setIcon(0, iconFor("query"));
            node->setData(0, kTagRole, file->FileName);
        }
        if (root->childCount() > 0)
            root->setExpanded(true);
        // Shown by name; the file keeps the order in which they were added.
        root->sortChildren(0, Qt::AscendingOrder);
    });
}

QString FavouritesTree::selectedFile() const {
    const QTreeWidgetItem *item = tree_->currentItem();
    if (!item || !item->parent())
        return {};
    return item->data(0, kTagRole).toString();
}

void FavouritesTree::openSelected() {
    const QTreeWidgetItem *item = tree_->currentItem();
    if (item && item->parent())
        emit openFile(item->data(0, kTagRole).toString());
}
