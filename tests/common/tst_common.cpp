#include "common/BusyCursor.h"
#include "common/Prompt.h"
#include "common/Twips.h"
#include "sql/AppError.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
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

    void busyCursorLastsForItsScope() {
        {
            bm::BusyCursor busy;
            QVERIFY(bm::isHourglass());
            busy.done();
            QVERIFY(!bm::isHourglass());
        }
        {
            bm::BusyCursor busy;
            QVERIFY(bm::isHourglass());
        }
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void twipsFollowTheResolution_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("twipsBack"); // the pixels measured again in twips
        QTest::newRow("96 dpi: 15 twips a pixel") << 1500 << 96.0 << 100 << 1500;
        QTest::newRow("splitter bound") << 1935 << 96.0 << 129 << 1935;
        QTest::newRow("120 dpi") << 1440 << 120.0 << 120 << 1440;
        QTest::newRow("rounded to the nearest pixel") << 1000 << 96.0 << 67 << 1005;
        QTest::newRow("zero") << 0 << 96.0 << 0 << 0;
    }
    void twipsFollowTheResolution() {
        QFETCH(int, twips);
        QFETCH(double, dpi);
        QFETCH(int, pixels);
        QFETCH(int, twipsBack);
        QCOMPARE(bm::twipsToPixels(twips, dpi), pixels);
        QCOMPARE(bm::pixelsToTwips(pixels, dpi), twipsBack);
    }

    // A name typed without a suffix is given the default one by the dialog itself, so that the
    // dialog's question before replacing a file is about the file that will be written.
    void saveDialogAddsTheSuffixBeforeAskingToReplace() {
        QTemporaryDir dir;
        const auto dialog =
            bm::makeSaveDialog(nullptr, "Save As", "Text File (*.txt)", dir.path(), "sql");
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->selectFile(dir.filePath("out"));
        QCOMPARE(dialog->selectedFiles(), QStringList{dir.filePath("out.sql")});
        dialog->selectFile(dir.filePath("out.csv"));
        QCOMPARE(dialog->selectedFiles(), QStringList{dir.filePath("out.csv")});
    }
};

QTEST_MAIN(tst_common)
#include "tst_common.moc"
