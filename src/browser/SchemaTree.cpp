#include "browser/SchemaTree.h"

#include "common/OpenGestures.h"

#include "common/ErrorReport.h"
#include "db/modDatabase.h"

#include <QTreeWidget>

namespace {

QString fieldText(bm::db::Recordset &rows, const char *field) {
    const auto value = rows.value(rows.fieldIndex(field));
    return value ? QString::fromUtf8(value->data(), qsizetype(value->size())) : QString();
}

// A name between the quotation marks of a literal: marks inside it doubled, so that a quoted
// identifier holding one cannot end the literal.
QString tableClause(const char *prefix, const QString &table) {
    return prefix + sqlLiteralText(table) + "'";
}

} // namespace

SchemaTree::SchemaTree(QTreeWidget *tree, QMenu *popup, QAction *open, QObject *parent)
    : QObject(parent), nodes_(tree) {
    connect(tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *node) { trvObjects_Expand(node); });
    new OpenGestures(
        tree, popup, open,
        {[this] { Open_Table(); }, [this] { return openable(); }, [this] { return openable(); }});
}

QString SchemaTree::Set_Node_Key(const QString &text) {
    const QString base = text.trimmed().isEmpty() ? QStringLiteral("X") : text;
    QString key;
    do {
        NodeKeyCounter = NodeKeyCounter == 1000000 ? 1 : NodeKeyCounter + 1;
        key = base + QString::number(NodeKeyCounter);
    } while (nodes_.contains(key)); // a name that ends in digits could meet another's key
    return key;
}

void SchemaTree::Initialise_Schema_Tree() {
    runReporting("..MDIMain.Initialise_Schema_Tree", [&] {
        nodes_.clear();
        const struct {
            const char *key, *text, *dummy, *tag;
        } folders[] = {{"T12345", "Tables", "TABLES_DUMMYNODE", "TABLES"},
                       {"V12345", "Views", "VIEWS_DUMMYNODE", "VIEWS"},
                       {"S12345", "Sessions", "SESSIONS_DUMMYNODE", "SESSIONS"}};
        for (const auto &f : folders) {
            QTreeWidgetItem *folder = nodes_.add(nullptr, f.key, f.text, "folderclosed", f.tag);
            nodes_.add(folder, f.dummy, QString(), QString(), "DUMMY");
        }
    });
}

void SchemaTree::trvObjects_Expand(QTreeWidgetItem *node) {
    const QString tag = KeyedTree::tag(node);
    const auto reload = [&](auto load) {
        nodes_.removeChildren(node);
        load();
    };
    const QString table = node->parent() ? node->parent()->text(0) : QString();
    if (tag == "TABLES")
        reload([&] { Load_Tables(node); });
    else if (tag == "VIEWS")
        reload([&] { Load_Views(node); });
    else if (tag == "SESSIONS")
        reload([&] { Load_Sessions(node); });
    else if (tag == "TABLE_COLUMNS")
        reload([&] { Load_TableColumns(node, table); });
    else if (tag == "TABLE_INDEXES")
        reload([&] { Load_TableIndexes(node, table); });
    else if (tag == "TABLE_CONSTRAINTS")
        reload([&] { Load_TableConstraints(node, table); });
    else if (tag == "TABLE_TRIGGERS")
        reload([&] { Load_TableTriggers(node, table); });
}

template <class Text>
void SchemaTree::loadRows(QTreeWidgetItem *folder, const QString &sql, const char *label,
                          const char *image, const char *tag, Text &&text) {
    QTreeWidget *tree = nodes_.widget();
    // Built out of sight and shown once: a schema of thousands of tables stays quick.
    tree->setUpdatesEnabled(false);
    QList<QTreeWidgetItem *> batch;
    runReporting(label, [&] {
        auto rows = Get_Recordset(sql, 0);
        for (; !rows->eof(); rows->moveNext()) {
            const QString name = text(*rows);
            batch.append(nodes_.make(Set_Node_Key(name), name, image, tag));
        }
    });
    nodes_.attach(folder, batch); // what was read before a failure stays
    tree->setUpdatesEnabled(true);
}

void SchemaTree::Load_Tables(QTreeWidgetItem *folder) {
    QTreeWidget *tree = nodes_.widget();
    tree->setUpdatesEnabled(false);
    QList<QTreeWidgetItem *> batch;
    runReporting("..MDIMain.Load_Tables", [&] {
        auto rows = Get_Recordset("SELECT * FROM USER_TABLES WHERE TABLE_NAME <>'PLAN_TABLE'", 0);
        static const char *const kFolders[][2] = {{"Columns", "TABLE_COLUMNS"},
                                                  {"Indexes", "TABLE_INDEXES"},
                                                  {"Constraints", "TABLE_CONSTRAINTS"},
                                                  {"Triggers", "TABLE_TRIGGERS"}};
        for (; !rows->eof(); rows->moveNext()) {
            const QString name = fieldText(*rows, "TABLE_NAME");
            QTreeWidgetItem *table = nodes_.make(Set_Node_Key(name), name, "table", "TABLE");
            for (const auto &f : kFolders) {
                QTreeWidgetItem *sub =
                    nodes_.add(table, Set_Node_Key(f[0]), f[0], "folderclosed", f[1]);
                nodes_.add(sub, Set_Node_Key(QString()), QString(), QString(), "DUMMY");
            }
            batch.append(table);
        }
    });
    nodes_.attach(folder, batch); // what was read before a failure stays
    tree->setUpdatesEnabled(true);
}

void SchemaTree::Load_Views(QTreeWidgetItem *folder) {
    loadRows(folder, "SELECT VIEW_NAME FROM USER_VIEWS", "..MDIMain.Load_Views", "view", "VIEW",
             [](bm::db::Recordset &rows) { return fieldText(rows, "VIEW_NAME"); });
}

void SchemaTree::Load_TableColumns(QTreeWidgetItem *folder, const QString &table) {
    loadRows(folder,
             tableClause("SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, NULLABLE FROM "
                         "USER_TAB_COLUMNS WHERE TABLE_NAME = '",
                         table),
             "..MDIMain.Load_TableColumns", "column", "COLUMN", [](bm::db::Recordset &rows) {
                 return fieldText(rows, "COLUMN_NAME") + " (" +
                        fieldText(rows, "DATA_TYPE").toLower() + "(" +
                        fieldText(rows, "DATA_LENGTH") + "), " +
                        (fieldText(rows, "NULLABLE") == "Y" ? "Null" : "Not Null") + ")";
             });
}

void SchemaTree::Load_TableIndexes(QTreeWidgetItem *folder, const QString &table) {
    loadRows(folder, tableClause("SELECT * FROM USER_INDEXES WHERE TABLE_NAME = '", table),
             "..MDIMain.Load_TableIndexes", "index", "INDEX",
             [](bm::db::Recordset &rows) { return fieldText(rows, "INDEX_NAME"); });
}

void SchemaTree::Load_TableConstraints(QTreeWidgetItem *folder, const QString &table) {
    loadRows(folder, tableClause("SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = '", table),
             "..MDIMain.Load_TableConstraints", "constraint", "CONSTRAINT",
             [](bm::db::Recordset &rows) { return fieldText(rows, "CONSTRAINT_NAME"); });
}

void SchemaTree::Load_TableTriggers(QTreeWidgetItem *folder, const QString &table) {
    loadRows(folder, tableClause("SELECT * FROM USER_TRIGGERS WHERE TABLE_NAME = '", table),
             "..MDIMain.Load_TableTriggers", "trigger", "TRIGGER",
             [](bm::db::Recordset &rows) { return fieldText(rows, "TRIGGER_NAME"); });
}

void SchemaTree::Load_Sessions(QTreeWidgetItem *folder) {
    try {
        auto rows = Get_Recordset(
            "select a.spid pid, b.sid sid, b.serial# ser#, b.machine box, b.username username,"
            "b.osuser os_user, b.program program"
            " from v$session b, v$process a "
            " Where b.paddr = a.addr"
            " and    type='USER' and b.username is not null"
            " order  by spid",
            0);
        for (; !rows->eof(); rows->moveNext()) {
            QString text = fieldText(*rows, "USERNAME") + " (" + fieldText(*rows, "PROGRAM") + ")";
            text.remove("\r\n");
            nodes_.add(folder, "ID:" + fieldText(*rows, "PID"), text, "sessions");
        }
    } catch (...) {
        // Reading the sessions needs rights a user may not have: a placeholder says so instead
        // of an error report (the reason is in the trace log).
        nodes_.add(folder, QString(), "<Not Available>");
    }
}

void SchemaTree::Refresh_Active_Tree() {
    QStringList expanded;
    for (QTreeWidgetItem *node : nodes_.nodesInOrder())
        if (node->isExpanded() && !KeyedTree::key(node).isEmpty())
            expanded << KeyedTree::key(node);
    for (const QString &key : expanded)
        if (QTreeWidgetItem *node = nodes_.find(key))
            trvObjects_Expand(node);
}

bool SchemaTree::openable() const {
    const QString tag = KeyedTree::tag(nodes_.widget()->currentItem());
    return tag == "TABLE" || tag == "VIEW";
}

void SchemaTree::Open_Table() {
    if (openable())
        emit openSql("SELECT * FROM " + sqlName(nodes_.widget()->currentItem()->text(0)));
}
