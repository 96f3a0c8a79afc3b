#pragma once

// A tree control addressed as the program's trees are: nodes with a unique key, a text, an image
// by key and a tag naming their kind; found by key, their children removed, and listed in the
// order they were added.

#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

class KeyedTree {
public:
    explicit KeyedTree(QTreeWidget *tree) : tree_(tree) {}

    QTreeWidget *widget() const { return tree_; }
    // Adds a node as the last child of parent (or at the root); an empty key adds it without one.
    // A key already in use is refused (returns nullptr).
    QTreeWidgetItem *add(QTreeWidgetItem *parent, const QString &key, const QString &text,
                         const QString &image = {}, const QString &tag = {});
    // The same node, not yet in the tree: children added to it cost the tree nothing, and
    // attach() puts a whole batch under a parent at once.
    QTreeWidgetItem *make(const QString &key, const QString &text, const QString &image = {},
                          const QString &tag = {});
    void attach(QTreeWidgetItem *parent, const QList<QTreeWidgetItem *> &nodes);
    QTreeWidgetItem *find(const QString &key) const { return byKey_.value(key); }
    bool contains(const QString &key) const { return byKey_.contains(key); }
    void removeChildren(QTreeWidgetItem *node);
    void clear();
    // Every node, in the order it was added.
    QList<QTreeWidgetItem *> nodesInOrder() const;

    static QString key(const QTreeWidgetItem *node);
    static QString tag(const QTreeWidgetItem *node);

private:
    void forget(QTreeWidgetItem *node);

    QTreeWidget *tree_;
    QHash<QString, QTreeWidgetItem *> byKey_;
    QHash<QString, QIcon> icons_; // made once a key
    quint64 added_ = 0;
};

// A name as it must stand in SQL: as it is when Oracle would read it unquoted (upper-case
// letters, digits, _, $ and #, starting with a letter), otherwise as a quoted identifier.
QString sqlName(const QString &name);
// A text as an SQL string literal's contents: quotation marks doubled.
QString sqlLiteralText(const QString &text);
