#include "browser/DictionaryTree.h"

#include "common/OpenGestures.h"

#include "common/ErrorReport.h"
#include "db/modDatabase.h"

#include <QTreeWidget>

DictionaryTree::DictionaryTree(QTreeWidget *tree, QMenu *popup, QAction *open, QObject *parent)
    : QObject(parent), nodes_(tree) {
    new OpenGestures(tree, popup, open,
                     {[this] { Open_Table(); },
                      [this] { return nodes_.widget()->currentItem() != nullptr; },
                      [] { return true; }}); // a right-click anywhere shows the menu
}

bool DictionaryTree::empty() const {
    return nodes_.widget()->topLevelItemCount() == 0;
}

void DictionaryTree::Load_Dictionary() {
    QTreeWidget *tree = nodes_.widget();
    tree->setUpdatesEnabled(false);
    runReporting("..MDIMain.Load_Dictionary", [&] {
        nodes_.clear();
        auto rows =
            Get_Recordset("SELECT TABLE_NAME FROM DICTIONARY WHERE TABLE_NAME LIKE 'USER%'", 0);
        for (; !rows->eof(); rows->moveNext()) {
            const auto value = rows->value(0);
            const QString name =
                value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString();
            nodes_.add(nullptr, name, name, "table");
        }
    });
    tree->setUpdatesEnabled(true);
}

void DictionaryTree::Open_Table() {
    if (const QTreeWidgetItem *node = nodes_.widget()->currentItem())
        emit openSql("SELECT * FROM " + sqlName(node->text(0)));
}
