#include "sql/AppError.h"
#include "common/BusyCursor.h"
#include "common/Twips.h"

#include <QApplication>
#include <QtTest>

using bm::AppError;

namespace {

// A serving routine that re-raises with its label, the way the database module does.
void innerRoutine() {
    bm::reraiseLabelled("..modDatabase.Get_Recordset", [] {
        throw AppError(bm::kErrStatementRejected, "Provider", "ORA-00942: table does not exist");
    });
}

void outerRoutine() {
    bm::reraiseLabelled("..MDIMain.Load_Tables", [] { innerRoutine(); });
}

} // namespace

class tst_common : public QObject {
    Q_OBJECT
private slots:
    void labelsChainInnermostFirst() {
        try {
            outerRoutine();
            QFAIL("no error raised");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), bm::kErrStatementRejected);
            QCOMPARE(e.source(),
                     std::string("Provider..modDatabase.Get_Recordset..MDIMain.Load_Tables"));
            QCOMPARE(e.description(), std::string("ORA-00942: table does not exist"));
        }
    }

    void foreignExceptionsBecomeProgramErrors() {
        try {
            bm::reraiseLabelled("..X.Y", []() -> int { throw std::runtime_error("boom"); });
            QFAIL("no error raised");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), bm::kErrGeneral);
            QCOMPARE(e.source(), std::string("..X.Y"));
            QCOMPARE(e.description(), std::string("boom"));
        }
    }

    void reraiseReturnsTheBodysValue() {
        QCOMPARE(bm::reraiseLabelled("..X.Y", [] { return 42; }), 42);
    }

    void hourglassIsSetAndClearedNotStacked() {
        bm::setHourglass();
        bm::setHourglass();
        QVERIFY(bm::isHourglass());
        bm::setDefaultPointer();
        QVERIFY(!bm::isHourglass());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void twipsFollowTheResolution_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("96 dpi: 15 twips a pixel") << 1500 << 96.0 << 100;
        QTest::newRow("splitter bound") << 1935 << 96.0 << 129;
        QTest::newRow("120 dpi") << 1440 << 120.0 << 120;
        QTest::newRow("zero") << 0 << 96.0 << 0;
    }
    void twipsFollowTheResolution() {
        QFETCH(int, twips);
        QFETCH(double, dpi);
        QFETCH(int, pixels);
        QCOMPARE(bm::twipsToPixels(twips, dpi), pixels);
        QCOMPARE(bm::pixelsToTwips(pixels, dpi), qRound(pixels * 1440 / dpi));
    }
};

QTEST_MAIN(tst_common)
#include "tst_common.moc"
