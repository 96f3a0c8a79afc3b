#include "common/OpenGestures.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

OpenGestures::OpenGestures(QTreeWidget *tree, QMenu *popup, QAction *openItem, Rules rules)
    : QObject(tree), tree_(tree), popup_(popup), rules_(std::move(rules)) {
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { rules_.open(); });
    // One menu serves both trees: it remembers which one showed it.
    connect(openItem, &QAction::triggered, this, [this] {
        if (popup_->property("owner").value<QObject *>() == this)
            rules_.open();
    });
    openItem->setEnabled(true);
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);
}

void OpenGestures::showPopup(const QPoint &globalPosition) {
    popup_->setProperty("owner", QVariant::fromValue<QObject *>(this));
    popup_->popup(globalPosition);
}

bool OpenGestures::eventFilter(QObject *watched, QEvent *event) {
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton && rules_.menuOnClick())
            showPopup(mouse->globalPosition().toPoint());
    } else if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && rules_.keyOpens()) {
            rules_.open();
            return true;
        }
    } else if (watched == tree_ && event->type() == QEvent::ContextMenu) {
        const auto *menu = static_cast<QContextMenuEvent *>(event);
        if (menu->reason() == QContextMenuEvent::Keyboard && rules_.keyOpens()) {
            const QRect at = tree_->visualItemRect(tree_->currentItem());
            showPopup(tree_->viewport()->mapToGlobal(at.bottomLeft()));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
