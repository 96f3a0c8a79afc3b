#pragma once

// What opens a node of one of the left panel's trees (schema, dictionary, favourites): a
// double-click or Enter opens it; a right-button release, the context-menu key or Shift+F10 shows
// the shared pop-up menu, whose Open then acts on the tree that showed it.

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QTreeWidget;

class OpenGestures : public QObject {
    Q_OBJECT
public:
    struct Rules {
        std::function<void()> open;        // opens the selected node (it checks what it can open)
        std::function<bool()> keyOpens;    // Enter and the menu key act on the selected node
        std::function<bool()> menuOnClick; // a right-click shows the menu
    };
    OpenGestures(QTreeWidget *tree, QMenu *popup, QAction *openItem, Rules rules);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPopup(const QPoint &globalPosition);

    QTreeWidget *tree_;
    QMenu *popup_;
    Rules rules_;
};
