// Creating the plan table after a log-on.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "app/MDIMain.h"
#include "common/BusyCursor.h"
#include "common/frmError.h"
#include "common/frmTrace.h"
#include "db/modDatabase.h"
#include "query/PlanAndStats.h"

#include <QPlainTextEdit>
#include <QtTest>

class tst_plan_table : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

private slots:
    void createdOnceThenPassesSilently() {
        QFile::remove(sampleDatabasePath());
        Build_Connection_String("demo", "scott", "tiger");
        QVERIFY(Open_Connection());
        MDIMain main;
        QVERIFY(main.Create_Plan_Table());
        QVERIFY(main.Create_Plan_Table()); // exists already: refused, and that is fine
        QVERIFY(prompt.dialogs.isEmpty() && prompt.messages.isEmpty());
        QVERIFY(!bm::isHourglass());
        QCOMPARE(traceWindow()->logText(),
                 planTableStatement() + "\n\n" + planTableStatement() + "\n\n");
        auto rs = cnDatabase->query("SELECT * FROM PLAN_TABLE", 0);
        QCOMPARE(rs->fieldCount(), 24);
        Close_Connection();
    }

    void otherFailuresAreReported() {
        Close_Connection();
        MDIMain main;
        QString source;
        prompt.dialogHandlers.enqueue([&](QDialog &dialog) {
            source = static_cast<frmError &>(dialog).txtSource->toPlainText();
            return int(QDialog::Rejected);
        });
        QVERIFY(!main.Create_Plan_Table());
        QCOMPARE(prompt.dialogs, QStringList{"frmError"});
        QVERIFY(source.endsWith("..MDIMain.Create_Plan_Table"));
        QVERIFY(!bm::isHourglass());
    }
};

QTEST_MAIN(tst_plan_table)
#include "tst_plan_table.moc"
