// Favourites: the list file read and appended, the queries tree it fills, the name dialog, and
// opening a favourite from the tree.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "favourites/FavouritesTree.h"
#include "favourites/QueryFiles.h"
#include "favourites/frmFavorites.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

namespace {

void writeList(const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(favouritesFilePath()).path());
    QFile file(favouritesFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList pairs(const ColQueryFiles &files) {
    QStringList out;
    for (const auto &file : files)
        out << file->QueryName + " -> " + file->FileName;
    return out;
}

} // namespace

class tst_favourites : public QObject {
    Q_OBJECT
    TestEnvironment env;

private slots:
    void init() { QFile::remove(favouritesFilePath()); }

    void listLinesReadBack_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("missing file") << QByteArray() << QStringList{};
        QTest::newRow("as written") << QByteArray("Monthly totals|/sql/totals.sql\r\n"
                                                  "a, b|/sql/x, y.sql\r\n"
                                                  "|/sql/no-name.sql\r\n"
                                                  "same|/one.sql\r\nsame|/two.sql\r\n"
                                                  "pipes|/odd|name.sql\r\n")
                                    << QStringList{"Monthly totals -> /sql/totals.sql",
                                                   "a, b -> /sql/x, y.sql",
                                                   " -> /sql/no-name.sql",
                                                   "same -> /one.sql",
                                                   "same -> /two.sql",
                                                   "pipes -> /odd|name.sql"};
        QTest::newRow("blank and damaged lines skip only themselves")
            << QByteArray("one|/1.sql\r\n\r\nno separator\r\ntwo|/2.sql")
            << QStringList{"one -> /1.sql", "two -> /2.sql"};
        QTest::newRow("LF only") << QByteArray("one|/1.sql\ntwo|/2.sql\n")
                                 << QStringList{"one -> /1.sql", "two -> /2.sql"};
    }
    void listLinesReadBack() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        if (!bytes.isEmpty())
            writeList(bytes);
        QCOMPARE(pairs(Load_Query_Files()), expected);
    }

    // Adding creates the folder and appends; the file keeps the order of addition.
    void appendingKeepsTheFile() {
        QDir(QFileInfo(favouritesFilePath()).path()).removeRecursively();
        QString why;
        QVERIFY(appendFavourite(favouritesFilePath(), "zeta", "/z.sql", &why));
        QVERIFY(appendFavourite(favouritesFilePath(), "alpha", "/a.sql", &why));
        QFile file(favouritesFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("zeta|/z.sql\r\nalpha|/a.sql\r\n"));
        // A list whose last line has no line end still gets the new favourite on its own line.
        writeList("one|/1.sql");
        QVERIFY(appendFavourite(favouritesFilePath(), "two", "/2.sql", &why));
        QCOMPARE(pairs(Load_Query_Files()), QStringList({"one -> /1.sql", "two -> /2.sql"}));
        // A place that cannot take the file says why.
        QVERIFY(!appendFavourite("/proc/no/Queries.dat", "x", "/x.sql", &why));
        QVERIFY(!why.isEmpty());
    }

    void treeShowsFavouritesByNameAndOpensThem() {
        QTreeWidget tree;
        QMenu popup;
        QAction *open = popup.addAction("Open Query");
        FavouritesTree favourites(&tree, &popup, open);
        QSignalSpy opened(&favourites, &FavouritesTree::openFile);

        favourites.Initialise_Query_Tree(); // no list: the lone root, collapsed
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem *root = tree.topLevelItem(0);
        QCOMPARE(root->text(0), QString("Queries"));
        QCOMPARE(root->childCount(), 0);
        QVERIFY(!root->isExpanded());

        writeList("zeta|/z.sql\r\nalpha|/a.sql\r\nmid|/m.sql\r\n");
        favourites.Initialise_Query_Tree();
        root = tree.topLevelItem(0);
        QVERIFY(root->isExpanded());
        QStringList shown;
        for (int i = 0; i < root->childCount(); ++i)
            shown << root->child(i)->text(0);
        QCOMPARE(shown, QStringList({"alpha", "mid", "zeta"}));

        // The root opens nothing; a favourite opens its file, by double-click or the menu.
        tree.setCurrentItem(root);
        emit tree.itemDoubleClicked(root, 0);
        QTest::mouseRelease(tree.viewport(), Qt::RightButton); // no menu for the root
        QVERIFY(!popup.isVisible());
        open->trigger();
        QCOMPARE(opened.count(), 0);
        tree.setCurrentItem(root->child(2));
        emit tree.itemDoubleClicked(root->child(2), 0);
        QCOMPARE(opened.takeFirst().value(0).toString(), QString("/z.sql"));
        QCOMPARE(favourites.selectedFile(), QString("/z.sql"));
        QTest::mouseRelease(tree.viewport(), Qt::RightButton); // the menu, for a favourite
        QVERIFY(popup.isVisible());
        popup.hide();
        open->trigger();
        QCOMPARE(opened.takeFirst().value(0).toString(), QString("/z.sql"));
        QTest::keyClick(&tree, Qt::Key_Return); // Enter opens it too
        QCOMPARE(opened.takeFirst().value(0).toString(), QString("/z.sql"));
    }

    void nameDialog() {
        frmFavorites dialog;
        QCOMPARE(dialog.windowTitle(), QString("Add to Favorites"));
        QVERIFY(dialog.txtName->text().isEmpty());
        QVERIFY(dialog.cmdOK->isDefault());
        QVERIFY(!dialog.Cancelled());
        dialog.show();
        dialog.close(); // the close box cancels
        QVERIFY(dialog.Cancelled());
        frmFavorites escaped;
        escaped.show();
        QTest::keyClick(&escaped, Qt::Key_Escape);
        QVERIFY(escaped.Cancelled());
    }
};

QTEST_MAIN(tst_favourites)
#include "tst_favourites.moc"
