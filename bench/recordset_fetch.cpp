// Fetching a 1,000,000-row, 8-column table into a recordset, against the floor: a bare loop that
// steps through the same query reading every cell as text. Prints times, their ratio and memory.

#include "BenchSupport.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char *kQuery = "SELECT * FROM BENCH";

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The floor: every cell read as text, nothing kept.
double floorLoop(const std::string &path, std::size_t &textBytes) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &stmt, nullptr);
    const auto start = Clock::now();
    textBytes = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            if (sqlite3_column_text(stmt, i))
                textBytes += static_cast<std::size_t>(sqlite3_column_bytes(stmt, i));
        }
    }
    const double elapsed = seconds(start);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return elapsed;
}

} // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "brindlemark-bench-fetch.db").string();
    createBenchTable(path);

    double best_floor = 1e9, best_fetch = 1e9;
    std::size_t textBytes = 0, memory = 0, records = 0;
    for (int round = 0; round < 3; ++round) {
        best_floor = std::min(best_floor, floorLoop(path, textBytes));
        bm::db::EmbeddedSession session(path, "BENCH");
        const auto start = Clock::now();
        auto rs = session.query(kQuery, 0);
        best_fetch = std::min(best_fetch, seconds(start));
        memory = rs->memoryBytes();
        records = rs->recordCount();
    }
    const double cells = double(records) * 8;
    std::printf("rows: %zu, cells: %.0f, text bytes: %zu\n", records, cells, textBytes);
    std::printf("floor (step loop reading every cell as text): %.3f s\n", best_floor);
    std::printf("recordset fetch:                              %.3f s\n", best_fetch);
    std::printf("ratio fetch / floor: %.2f (target <= 1.30)\n", best_fetch / best_floor);
    std::printf("recordset memory: %.1f MiB; text + 8 bytes a cell: %.1f MiB (%.2f bytes a cell "
                "over the text)\n",
                memory / 1048576.0, (textBytes + 8 * cells) / 1048576.0,
                (double(memory) - double(textBytes)) / cells);
    std::filesystem::remove(path);
    return 0;
}
