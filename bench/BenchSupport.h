#pragma once

// What the benchmarks share: the 1,000,000-row, 8-column table (integers, reals, short texts,
// some nulls) and the process's resident memory.

#include "db/embedded/EmbeddedSession.h"

#include <fstream>
#include <string>
#include <unistd.h>

inline constexpr int kBenchRows = 1000000;

// Creates the file with the table BENCH, replacing any earlier one.
inline void createBenchTable(const std::string &path, int rows = kBenchRows) {
    std::remove(path.c_str());
    bm::db::EmbeddedSession session("file:" + path + "?mode=rwc", "BENCH");
    session.execute("CREATE TABLE BENCH (ID INTEGER, QTY INTEGER, PRICE REAL, RATE REAL, "
                    "NAME VARCHAR2(20), CODE VARCHAR2(8), NOTE VARCHAR2(30), FLAG INTEGER)");
    session.execute("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < " +
                    std::to_string(rows) +
                    ") INSERT INTO BENCH SELECT n, n % 1000, n * 1.25, "
                    "CASE WHEN n % 5 = 0 THEN NULL ELSE n / 7.0 END, 'name ' || n, "
                    "printf('C%05d', n % 99999), CASE WHEN n % 3 = 0 THEN NULL ELSE "
                    "'note for row ' || n END, n % 2 FROM c");
}

inline double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
}
