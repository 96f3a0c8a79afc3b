// The schema tree's dictionary queries against a file with 2,000 tables of 10 columns each:
// expanding Tables, then the Columns, Indexes, Constraints and Triggers of one table.

#include "db/embedded/EmbeddedSession.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

void makeSchema(const std::string &path) {
    bm::db::EmbeddedSession session("file:" + path + "?mode=rwc", "BENCH");
    session.execute("BEGIN");
    for (int t = 1; t <= 2000; ++t) {
        std::string sql = "CREATE TABLE T" + std::to_string(t) + " (ID NUMBER(10) CONSTRAINT PK_T" +
                          std::to_string(t) + " PRIMARY KEY";
        for (int c = 2; c <= 9; ++c)
            sql += ", C" + std::to_string(c) + (c % 2 ? " VARCHAR2(40)" : " NUMBER(8,2)");
        sql += ", C10 DATE NOT NULL)";
        session.execute(sql);
    }
    session.execute("COMMIT");
}

} // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "brindlemark-bench-dictionary.db").string();
    std::filesystem::remove(path);
    makeSchema(path);

    const char *const steps[][2] = {
        {"Tables", "SELECT * FROM USER_TABLES WHERE TABLE_NAME <>'PLAN_TABLE'"},
        {"Columns of T1000", "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, NULLABLE FROM "
                             "USER_TAB_COLUMNS WHERE TABLE_NAME = 'T1000'"},
        {"Indexes of T1000", "SELECT * FROM USER_INDEXES WHERE TABLE_NAME = 'T1000'"},
        {"Constraints of T1000 (first read)",
         "SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T1000'"},
        {"Constraints of T1001", "SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'T1001'"},
        {"Triggers of T1000", "SELECT * FROM USER_TRIGGERS WHERE TABLE_NAME = 'T1000'"},
    };
    bm::db::EmbeddedSession session(path, "BENCH");
    std::printf("2000 tables x 10 columns\n");
    for (const auto &[name, sql] : steps) {
        const auto start = Clock::now();
        auto rs = session.query(sql, 0);
        std::printf("%-36s %8.2f ms  (%zu rows)\n", name, milliseconds(start), rs->recordCount());
    }
    std::printf("targets: Tables under 100 ms, one table's Columns under 10 ms\n");
    std::filesystem::remove(path);
    return 0;
}
