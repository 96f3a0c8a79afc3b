#include "browser/DictionaryTree.h"

#include "common/ErrorReport.h"
#include "db/modDatabase.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

DictionaryTree::DictionaryTree(QTreeWidget *tree, QMenu *popup, QAction *open, QObject *parent)
    : QObject(parent), nodes_(tree), popup_(popup), open_(open) {
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this] { Open_Table(); });
    connect(open_, &QAction::triggered, this, [this] {
        if (popup_->property("owner").value<QObject *>() == this)
            Open_Table();
    });
    tree->installEventFilter(this);
    tree->viewport()->installEventFilter(this);
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

void DictionaryTree::showPopup(const QPoint &globalPosition) {
    popup_->setProperty("owner", QVariant::fromValue<QObject *>(this));
    popup_->popup(globalPosition);
}

bool DictionaryTree::eventFilter(QObject *watched, QEvent *event) {
    QTreeWidget *tree = nodes_.widget();
    if (watched == tree->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            showPopup(mouse->globalPosition().toPoint());
    } else if (watched == tree && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && tree->currentItem()) {
            Open_Table();
            return true;
        }
    } else if (watched == tree && event->type() == QEvent::ContextMenu) {
        const auto *menu = static_cast<QContextMenuEvent *>(event);
        if (menu->reason() == QContextMenuEvent::Keyboard && tree->currentItem()) {
            const QRect at = tree->visualItemRect(tree->currentItem());
            showPopup(tree->viewport()->mapToGlobal(at.bottomLeft()));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
