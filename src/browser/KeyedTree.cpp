#include "browser/KeyedTree.h"

#include "common/Icons.h"

#include <QRegularExpression>
#include <QTreeWidget>
#include <algorithm>

namespace {
constexpr int kKeyRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kOrderRole = Qt::UserRole + 2;
} // namespace

QTreeWidgetItem *KeyedTree::make(const QString &key, const QString &text, const QString &image,
                                 const QString &tag) {
    if (!key.isEmpty() && byKey_.contains(key))
        return nullptr;
    auto *node = new QTreeWidgetItem({text});
    node->setData(0, kKeyRole, key);
    node->setData(0, kTagRole, tag);
    node->setData(0, kOrderRole, ++added_);
    if (!image.isEmpty()) {
        auto icon = icons_.find(image);
        if (icon == icons_.end())
            icon = icons_.insert(image, iconFor(image));
        node->setIcon(0, *icon);
    }
    if (!key.isEmpty())
        byKey_.insert(key, node);
    return node;
}

QTreeWidgetItem *KeyedTree::add(QTreeWidgetItem *parent, const QString &key, const QString &text,
                                const QString &image, const QString &tag) {
    QTreeWidgetItem *node = make(key, text, image, tag);
    if (node)
        attach(parent, {node});
    return node;
}

void KeyedTree::attach(QTreeWidgetItem *parent, const QList<QTreeWidgetItem *> &nodes) {
    if (parent)
        parent->addChildren(nodes);
    else
        tree_->addTopLevelItems(nodes);
}

void KeyedTree::forget(QTreeWidgetItem *node) {
    for (int i = 0; i < node->childCount(); ++i)
        forget(node->child(i));
    const QString k = key(node);
    if (!k.isEmpty() && byKey_.value(k) == node)
        byKey_.remove(k);
}

void KeyedTree::removeChildren(QTreeWidgetItem *node) {
    const QList<QTreeWidgetItem *> children = node->takeChildren();
    for (QTreeWidgetItem *child : children) {
        forget(child);
        delete child;
    }
}

void KeyedTree::clear() {
    byKey_.clear();
    tree_->clear();
}

QList<QTreeWidgetItem *> KeyedTree::nodesInOrder() const {
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        nodes.append(*it);
    std::sort(nodes.begin(), nodes.end(), [](QTreeWidgetItem *a, QTreeWidgetItem *b) {
        return a->data(0, kOrderRole).toULongLong() < b->data(0, kOrderRole).toULongLong();
    });
    return nodes;
}

QString KeyedTree::key(const QTreeWidgetItem *node) {
    return node ? node->data(0, kKeyRole).toString() : QString();
}

QString KeyedTree::tag(const QTreeWidgetItem *node) {
    return node ? node->data(0, kTagRole).toString() : QString();
}

QString sqlName(const QString &name) {
    static const QRegularExpression plain("^[A-Z][A-Z0-9_$#]*$");
    if (plain.match(name).hasMatch())
        return name;
    QString quoted = name;
    return '"' + quoted.replace('"', "\"\"") + '"';
}

QString sqlLiteralText(const QString &text) {
    QString doubled = text;
    return doubled.replace('\'', "''");
}
