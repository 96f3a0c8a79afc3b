// A recordset read while another thread appends to it: every published row reads back whole,
// whatever pages and chunks the writer adds meanwhile; and the engine's cursor fetches in
// batches and stops when interrupted from another thread.

#include "db/core/Recordset.h"
#include "db/embedded/EmbeddedSession.h"
#include "sql/AppError.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <string>
#include <thread>

namespace {

// The text of a cell: long enough now and then to start new chunks.
std::string cellText(std::size_t row, int field) {
    std::string text = std::to_string(row) + ":" + std::to_string(field);
    if (row % 997 == 0)
        text.append(40000, 'x');
    return text;
}

} // namespace

class tst_growing_recordset : public QObject {
    Q_OBJECT

private slots:
    void readWhileAppending() {
        for (int round = 0; round < 3; ++round) {
            constexpr std::size_t kRows = 200000;
            bm::db::Recordset rows(
                {{"A", bm::db::FieldType::Text}, {"B", bm::db::FieldType::Text}});
            std::thread writer([&] {
                for (std::size_t r = 0; r < kRows; ++r) {
                    rows.appendCell(0, cellText(r, 0));
                    if (r % 5 == 0)
                        rows.appendNull(1);
                    else
                        rows.appendCell(1, cellText(r, 1));
                    rows.endRow();
                }
            });
            std::size_t checked = 0, seen = 0;
            bool wrong = false;
            while (seen < kRows && !wrong) {
                seen = rows.recordCount();
                if (seen == 0)
                    continue;
                // The newest row, the first, and one in between.
                for (std::size_t r : {seen - 1, std::size_t(0), seen / 2}) {
                    const auto a = rows.cell(r, 0);
                    const auto b = rows.cell(r, 1);
                    wrong = wrong || !a || *a != cellText(r, 0);
                    wrong = wrong || (r % 5 == 0 ? b.has_value() : (!b || *b != cellText(r, 1)));
                    ++checked;
                }
                if (checked % 64 == 0) {
                    bm::db::Recordset::ColumnCursor cursor(rows, 0);
                    const std::size_t upTo = std::min<std::size_t>(seen, 5000);
                    for (std::size_t r = 0; r < upTo && !wrong; ++r)
                        wrong = cursor.next() != std::optional<std::string_view>(cellText(r, 0));
                    wrong = wrong || !rows.longestCell(0);
                }
            }
            writer.join();
            QVERIFY2(!wrong, "a published row read back differently");
            QCOMPARE(rows.recordCount(), kRows);
            QVERIFY(checked > 0);
        }
    }

    // Batches of rows, the end of the data, and an interrupt from another thread.
    void cursorFetchesInBatchesAndStops() {
        QTemporaryDir dir;
        bm::db::EmbeddedSession session(
            ("file:" + dir.filePath("c.db") + "?mode=rwc").toStdString(), "SCOTT");
        session.execute("CREATE TABLE t (n NUMBER)");
        session.execute("INSERT INTO t VALUES (1)");
        session.execute("INSERT INTO t VALUES (2)");
        session.execute("INSERT INTO t VALUES (3)");
        auto cursor = session.open("SELECT n FROM t ORDER BY n");
        bm::db::Recordset rows(cursor->fields());
        QVERIFY(cursor->fetch(rows, 2));
        QCOMPARE(rows.recordCount(), std::size_t(2));
        QVERIFY(!cursor->fetch(rows, 2));
        QCOMPARE(rows.recordCount(), std::size_t(3));
        QCOMPARE(*rows.cell(2, 0), std::string_view("3"));
        cursor.reset();

        // A statement without rows has run when its cursor exists.
        QVERIFY(session.open("DELETE FROM t WHERE n = 3")->fields().empty());
        QCOMPARE(session.query("SELECT COUNT(*) FROM t", 0)->value(0).value(),
                 std::string_view("2"));

        auto endless = session.open("WITH n(x) AS (SELECT 1 FROM dual UNION ALL SELECT x + 1 "
                                    "FROM n) SELECT COUNT(*) FROM n");
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            session.interrupt();
        });
        bm::db::Recordset none(endless->fields());
        QString message;
        try {
            endless->fetch(none, 1);
        } catch (const bm::AppError &error) {
            message = QString::fromStdString(error.description());
        }
        stopper.join();
        QCOMPARE(message, QString("ORA-01013: user requested cancel of current operation"));
        endless.reset();
        // Until the interrupt is cleared, what comes next is refused as well.
        QVERIFY_THROWS_EXCEPTION(bm::AppError, session.execute("DELETE FROM t"));
        session.clearInterrupt();
        QCOMPARE(session.execute("DELETE FROM t"), std::int64_t(2));
    }
};

QTEST_MAIN(tst_growing_recordset)
#include "tst_growing_recordset.moc"
