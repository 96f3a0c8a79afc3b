// Cutting big scripts into statements: 10 MB of INSERT lines, and a PL/SQL block of 1.28 MB full
// of literals, each split as a run of the whole text would split it.

#include "query/QueryBatch.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {

void measure(const char *what, const QString &script) {
    QElapsedTimer clock;
    clock.start();
    const colQueries queries = Split_Queries(script);
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("%-34s %6.2f MB  %8d statements  %.3f s\n", what, script.toUtf8().size() / 1e6,
                queries.Count(), seconds);
}

} // namespace

int main() {
    QString inserts;
    for (int i = 0; inserts.size() < 10'000'000; ++i)
        inserts += QString("INSERT INTO EMP (EMPNO, ENAME, JOB) VALUES (%1, 'name;%1', 'CLERK');\n")
                       .arg(i);
    measure("INSERT lines", inserts);

    QString block = "BEGIN\n";
    while (block.size() < 1'280'000)
        block += "  x := 'a/b'; y := '\n/\n' || 'it''s'; /* / */ z := 4 / 2;\n";
    block += "END;\n/\nSELECT 1 FROM DUAL";
    measure("PL/SQL block with literals", block);
    return 0;
}
