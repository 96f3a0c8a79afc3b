// The schema tree on a big schema: expanding Tables on 2,000 tables (each with its four folders
// and their dummies) until the tree is shown, beside the time of the dictionary query alone.

#include "browser/SchemaTree.h"
#include "db/embedded/EmbeddedSession.h"
#include "db/modDatabase.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("schema.db");
    {
        bm::db::EmbeddedSession setup("file:" + path.toStdString() + "?mode=rwc", "BENCH");
        setup.execute("BEGIN");
        for (int t = 0; t < 2000; ++t)
            setup.execute("CREATE TABLE T" + std::to_string(t) +
                          " (ID NUMBER PRIMARY KEY, NAME VARCHAR2(30), AMOUNT NUMBER(10,2))");
        setup.execute("COMMIT");
    }
    Build_Connection_String(path, "BENCH", "");
    if (!Open_Connection())
        return 1;

    QElapsedTimer clock;
    clock.start();
    auto rows = Get_Recordset("SELECT * FROM USER_TABLES WHERE TABLE_NAME <>'PLAN_TABLE'", 0);
    const double query = clock.nsecsElapsed() / 1e6;
    rows.reset();

    QTreeWidget tree;
    tree.resize(300, 700);
    tree.show();
    QMenu popup;
    QAction *open = popup.addAction("Open");
    SchemaTree schema(&tree, &popup, open);
    schema.Initialise_Schema_Tree();
    QApplication::processEvents();
    clock.start();
    tree.topLevelItem(0)->setExpanded(true);
    QApplication::processEvents(); // shown
    const double expand = clock.nsecsElapsed() / 1e6;
    std::printf("tables: %d, nodes under Tables: %d\n", tree.topLevelItem(0)->childCount(),
                tree.topLevelItem(0)->childCount() * 9);
    std::printf("dictionary query alone:        %7.1f ms\n", query);
    std::printf("expand Tables until shown:     %7.1f ms (target < 200 ms)\n", expand);
    Close_Connection();
    return 0;
}
