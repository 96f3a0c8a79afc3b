#include "common/frmTrace.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class tst_trace : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        if (frmTrace *window = existingTraceWindow())
            delete window;
    }

    void newestEntryFirstEachFollowedByAnEmptyLine() {
        Write_Trace("SELECT 1 FROM DUAL");
        Write_Trace("<SUCCESS>");
        Write_Trace("SELECT 2 FROM DUAL");
        Write_Trace("<SUCCESS>");
        QCOMPARE(traceWindow()->logText(), QString("<SUCCESS>\n\nSELECT 2 FROM DUAL\n\n"
                                                   "<SUCCESS>\n\nSELECT 1 FROM DUAL\n\n"));
        QVERIFY(!traceWindow()->isVisible());
        QCOMPARE(traceWindow()->windowTitle(), QString("Trace Log"));
    }

    void multiLineEntriesKeepTheirLines() {
        Write_Trace("SELECT *\r\nFROM EMP");
        QCOMPARE(traceWindow()->logText(), QString("SELECT *\nFROM EMP\n\n"));
    }

    void hideKeepsTheLog() {
        Write_Trace("first");
        Show_Trace();
        frmTrace *window = existingTraceWindow();
        QVERIFY(window->isVisible());
        QCOMPARE(window->Command1->text(), QString("Hide"));
        window->Command1->click();
        QVERIFY(!window->isVisible());
        Show_Trace();
        QCOMPARE(existingTraceWindow(), window);
        QCOMPARE(window->logText(), QString("first\n\n"));
    }

    void closingDiscardsTheLog() {
        Write_Trace("first");
        Show_Trace();
        QPointer<frmTrace> window = existingTraceWindow();
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
        QVERIFY(!existingTraceWindow());
        Write_Trace("second");
        QCOMPARE(traceWindow()->logText(), QString("second\n\n"));
        QVERIFY(!traceWindow()->isVisible());
    }
};

QTEST_MAIN(tst_trace)
#include "tst_trace.moc"
