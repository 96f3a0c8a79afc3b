// The Oracle engine's own cost: 1,000,000 rows of 8 columns fetched through the stand-in client
// library (defines, conversion, copying into the recordset) beside the embedded engine's fetch
// of the same rows, with the round trips counted.

#include "BenchSupport.h"
#include "db/oracle/OracleSession.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>

int main() {
    using Clock = std::chrono::steady_clock;
    const std::string path =
        (std::filesystem::temp_directory_path() / "brindlemark-bench-oracle.db").string();
    createBenchTable(path);
    setenv("BM_FAKEOCI_DATABASE", path.c_str(), 1);
    bm::db::setOracleClientLibrary(BM_FAKEOCI_PATH);
    const char *sql = "SELECT ID, QTY, PRICE, RATE, NAME, CODE, NOTE, FLAG FROM BENCH";

    const auto time = [&](bm::db::Session &session) {
        const auto begin = Clock::now();
        const auto rows = session.query(sql, 0);
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        return std::make_pair(seconds, rows->recordCount());
    };
    bm::db::EmbeddedSession embedded(path, "BENCH");
    time(embedded); // the file read into the page cache first
    const auto [embeddedSeconds, embeddedRows] = time(embedded);
    std::printf("embedded engine: %zu rows x 8 in %.3f s\n", embeddedRows, embeddedSeconds);

    for (const int batch : {500, 1000, 2000}) {
        bm::db::setOracleFetchRows(batch);
        auto oracle = bm::db::openOracleSession({"MSDAORA.1", "ORCL", "tiger", "bench"});
        const auto roundTrips =
            reinterpret_cast<unsigned long (*)()>(dlsym(RTLD_DEFAULT, "fakeoci_round_trips"));
        const unsigned long before = roundTrips();
        const auto [seconds, rows] = time(*oracle);
        std::printf("Oracle engine, %4d rows per fetch: %zu rows in %.3f s, %lu round trips, "
                    "%.2fx the embedded fetch (target <= 1.5)\n",
                    batch, rows, seconds, roundTrips() - before, seconds / embeddedSeconds);
    }
    std::filesystem::remove(path);
    return 0;
}
