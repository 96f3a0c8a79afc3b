// The cost of speaking Oracle's dialect: the rewriting of a typical statement, first and cached,
// and a 1,000,000-row fetch of a query with Oracle's arithmetic, TO_CHAR and NVL beside the same
// columns fetched plainly.

#include "BenchSupport.h"
#include "db/embedded/OracleDialect.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

int main() {
    using Clock = std::chrono::steady_clock;
    const std::string statement =
        "SELECT e.ename, e.sal / 4 quarter, e.hiredate + 30 due, NVL(e.comm, 0) + e.sal pay, "
        "d.dname || ' (' || d.loc || ')' place FROM emp e, dept d WHERE e.deptno = d.deptno "
        "AND e.ename LIKE 'S%' ORDER BY e.sal DESC, e.ename FETCH FIRST 5 ROWS ONLY";
    bm::db::DialectContext context;
    context.userName = "SCOTT";
    const auto tokens = bm::db::tokenize(statement);
    constexpr int kRounds = 20000;
    std::size_t bytes = 0;
    auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i)
        bytes += bm::db::translateStatement(tokens, context).size();
    const double perStatement =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRounds;
    std::printf("rewriting a %zu-character statement: %.1f us (target < 50 us; %zu bytes)\n",
                statement.size(), perStatement, bytes / kRounds);

    const std::string path =
        (std::filesystem::temp_directory_path() / "brindlemark-bench-dialect.db").string();
    createBenchTable(path);
    bm::db::EmbeddedSession session(path, "BENCH");

    // The same statement again: the session's cache answers, after checking the schema version.
    session.translated(statement, tokens);
    start = Clock::now();
    for (int i = 0; i < kRounds; ++i)
        bytes += session.translated(statement, tokens).size();
    std::printf("the same statement again (cached): %.2f us (target < 5 us)\n",
                std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRounds);
    const auto fetch = [&](const char *sql) {
        const auto begin = Clock::now();
        const auto rows = session.query(sql, 0);
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        std::printf("  %-62s %6.3f s (%zu rows)\n", sql, seconds, rows->recordCount());
        return seconds;
    };
    session.execute("ALTER TABLE BENCH ADD HIRED DATE");
    session.execute("UPDATE BENCH SET HIRED = DATE '2000-01-01' + MOD(ID, 5000) + 0.5");
    std::printf("1,000,000 rows:\n");
    const double plain = fetch("SELECT ID, NOTE, QTY, PRICE FROM BENCH");
    const double oracle = fetch("SELECT ID, NVL(NOTE, 'none'), QTY / 4, PRICE + 1 FROM BENCH");
    std::printf("  with Oracle's arithmetic and NVL: %.2fx the plain fetch (target <= 1.5)\n",
                oracle / plain);
    const double dates = fetch("SELECT ID, NOTE, HIRED FROM BENCH");
    const double formatted =
        fetch("SELECT ID, NVL(NOTE, 'none'), TO_CHAR(HIRED, 'DD-MON-YYYY HH24:MI') FROM BENCH");
    std::printf("  with TO_CHAR on a date and NVL: %.2fx the plain fetch (target <= 1.5)\n",
                formatted / dates);
    std::filesystem::remove(path);
    return 0;
}
