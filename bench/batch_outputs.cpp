// The batch runner's outputs on a 1,000,000-row, 8-column table, side by side with the peer
// (sqlite3 -csv writing the table to a file) and the floor (a bare step loop reading every cell
// as text): output to File, to Grid, and to CSV text (100,000 rows), with the text's memory.

#include "BenchPrompt.h"
#include "BenchSupport.h"
#include "common/Prompt.h"
#include "db/embedded/EmbeddedSession.h"
#include "db/modDatabase.h"
#include "editor/SqlEditor.h"
#include "query/QueryRunner.h"
#include "query/ResultGrid.h"
#include "query/frmQuery.h"
#include "settings/AppOptions.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>

namespace {

double floorSeconds(const std::string &path) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM BENCH", -1, &stmt, nullptr);
    QElapsedTimer clock;
    clock.start();
    std::size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int i = 0; i < 8; ++i)
            if (sqlite3_column_text(stmt, i))
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, i));
    const double seconds = clock.nsecsElapsed() / 1e9;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return bytes ? seconds : 0;
}

double timeRun(frmQuery &window, const QString &sql) {
    window.txtSQL->setPlainText(sql);
    QElapsedTimer clock;
    clock.start();
    window.Run_Queries();
    while (window.running())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string path = (dir / "brindlemark-bench-batch.db").string();
    const std::string peerCsv = (dir / "brindlemark-bench-peer.csv").string();
    const std::string ourCsv = (dir / "brindlemark-bench-ours.csv").string();
    createBenchTable(path);

    QElapsedTimer clock;
    clock.start();
    const std::string command =
        "sqlite3 -csv '" + path + "' 'SELECT * FROM BENCH' > '" + peerCsv + "'";
    const bool peerRan = std::system(command.c_str()) == 0;
    const double peer = clock.nsecsElapsed() / 1e9;
    const double floor = floorSeconds(path);

    AppOptions = {"Grid", 1, 0, "", 0, 1};
    Build_Connection_String(QString::fromStdString(path), "BENCH", "");
    FilePrompt prompt;
    prompt.path = QString::fromStdString(ourCsv);
    bm::Prompt::install(&prompt);
    if (!Open_Connection())
        return 1;

    frmQuery window;
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();
    window.cboResults->setCurrentIndex(2);
    window.cboResults_Click();
    const double file = timeRun(window, "SELECT * FROM BENCH");
    // Fetch alone, then the grid, each with the allocator in the same state.
    clock.restart();
    auto fetched = cnDatabase->query("SELECT * FROM BENCH", 0);
    const double fetch = clock.nsecsElapsed() / 1e9;
    fetched.reset();
    window.cboResults->setCurrentIndex(0);
    window.cboResults_Click();
    const double grid = timeRun(window, "SELECT * FROM BENCH");
    std::printf("grid run: retrieval %s, display %s\n",
                qPrintable(window.runner().figures.RetrievalTime),
                qPrintable(window.runner().figures.DisplayTime));
    window.Reset();

    window.cboResults->setCurrentIndex(1);
    window.cboResults_Click();
    const double before = residentMiB();
    const double text = timeRun(window, "SELECT * FROM BENCH WHERE ID <= 100000");
    const double textMemory = residentMiB() - before;
    const double textCsvMiB = window.txtResults->toPlainText().toUtf8().size() / 1048576.0;

    std::printf("1,000,000 rows x 8 columns\n");
    if (peerRan)
        std::printf("peer  sqlite3 -csv to a file:        %6.3f s\n", peer);
    else
        std::printf("peer  sqlite3 -csv: not run (no sqlite3 command)\n");
    std::printf("floor step loop, every cell as text:  %6.3f s\n", floor);
    std::printf("fetch into a recordset alone:         %6.3f s\n", fetch);
    std::printf("batch runner, output to File:         %6.3f s  (%.2fx the peer; target <= 1.30)\n",
                file, peerRan ? file / peer : 0.0);
    std::printf(
        "batch runner, output to Grid:         %6.3f s  (%.2fx the fetch; target <= 1.20)\n", grid,
        grid / fetch);
    std::printf("batch runner, CSV text, 100,000 rows: %6.3f s\n", text);
    std::printf("text output memory: %.1f MiB for %.1f MiB of CSV (%.2fx; target <= 3)\n",
                textMemory, textCsvMiB, textMemory / textCsvMiB);
    std::printf("files: ours %lld bytes, peer %lld bytes\n",
                static_cast<long long>(QFileInfo(prompt.path).size()),
                static_cast<long long>(QFileInfo(QString::fromStdString(peerCsv)).size()));
    bm::Prompt::install(nullptr);
    Close_Connection();
    for (const auto &p : {path, peerCsv, ourCsv})
        std::filesystem::remove(p);
    return 0;
}
