// The options file, its reading rules and the options dialog.

#include "ScriptedPrompt.h"
#include "TestEnvironment.h"
#include "settings/AppOptions.h"
#include "settings/OptionsFile.h"
#include "settings/frmOptions.h"
#include "settings/modFunctions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(AppOptionsRecord)

namespace {

const AppOptionsRecord kEarlier{"File", 7, 7, "earlier", 77, 7};

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class tst_options : public QObject {
    Q_OBJECT
    TestEnvironment env;
    ScriptedPrompt prompt;

private slots:
    void init() {
        OptionsFile = defaultOptionsFilePath();
        QFile::remove(OptionsFile);
        AppOptions = AppOptionsRecord{};
        prompt.messages.clear();
    }

    void firstStartWritesTheSixDefaults() {
        QVERIFY(OptionsFile.startsWith(env.path()));
        Read_Options();
        QCOMPARE(fileBytes(OptionsFile),
                 QByteArray("OutputResults|Grid\r\nShowResults|1\r\nShowEP|0\r\nQueryTemplate|\r\n"
                            "RecordLimit|\r\nColourCodeScript|1\r\n"));
        QCOMPARE(AppOptions, (AppOptionsRecord{"Grid", 1, 0, "", 0, 1}));
    }

    void readingRules_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<AppOptionsRecord>("expected");
        QTest::newRow("all six") << QByteArray("OutputResults|File\r\nShowResults|0\r\nShowEP|1\r\n"
                                               "QueryTemplate|SELECT a, b FROM t\r\n"
                                               "RecordLimit|250\r\nColourCodeScript|0\r\n")
                                 << AppOptionsRecord{"File", 0, 1, "SELECT a, b FROM t", 250, 0};
        QTest::newRow("LF only, no final break")
            << QByteArray("OutputResults|Grid\nShowResults|1\nShowEP|0\nQueryTemplate|x\n"
                          "RecordLimit|5\nColourCodeScript|1")
            << AppOptionsRecord{"Grid", 1, 0, "x", 5, 1};
        QTest::newRow("no bar: whole line")
            << QByteArray("Grid\r\n") << AppOptionsRecord{"Grid", 7, 7, "earlier", 77, 7};
        QTest::newRow("value after the first bar")
            << QByteArray("OutputResults|a|b\r\nShowResults|1\r\nShowEP|0\r\nQueryTemplate|x|y\r\n")
            << AppOptionsRecord{"a|b", 1, 0, "x|y", 77, 7};
        QTest::newRow("empty check value stops")
            << QByteArray("OutputResults|Grid\r\nShowResults|\r\nShowEP|1\r\n")
            << AppOptionsRecord{"Grid", 7, 7, "earlier", 77, 7};
        QTest::newRow("check value out of range stops")
            << QByteArray(
                   "OutputResults|Grid\r\nShowResults|1\r\nShowEP|40000\r\nQueryTemplate|q\r\n")
            << AppOptionsRecord{"Grid", 1, 7, "earlier", 77, 7};
        QTest::newRow("record limit text gives 0")
            << QByteArray("OutputResults|Grid\r\nShowResults|1\r\nShowEP|0\r\nQueryTemplate|\r\n"
                          "RecordLimit|abc\r\nColourCodeScript|0\r\n")
            << AppOptionsRecord{"Grid", 1, 0, "", 0, 0};
        QTest::newRow("leading numbers rounded")
            << QByteArray(
                   "OutputResults|Grid\r\nShowResults| 1 \r\nShowEP|0.4\r\nQueryTemplate|\r\n"
                   "RecordLimit|12.5xyz\r\nColourCodeScript|2.5\r\n")
            << AppOptionsRecord{"Grid", 1, 0, "", 12, 2};
        QTest::newRow("record limit overflow stops")
            << QByteArray("OutputResults|Grid\r\nShowResults|1\r\nShowEP|0\r\nQueryTemplate|\r\n"
                          "RecordLimit|99999999999\r\nColourCodeScript|0\r\n")
            << AppOptionsRecord{"Grid", 1, 0, "", 77, 7};
        QTest::newRow("spaces and commas kept")
            << QByteArray("OutputResults| Grid \r\nShowResults|1\r\nShowEP|0\r\n"
                          "QueryTemplate| a, \"b\" \r\n")
            << AppOptionsRecord{" Grid ", 1, 0, " a, \"b\" ", 77, 7};
        QTest::newRow("lines after the sixth ignored")
            << QByteArray("OutputResults|Grid\r\nShowResults|1\r\nShowEP|0\r\nQueryTemplate|\r\n"
                          "RecordLimit|\r\nColourCodeScript|1\r\nExtra|zz\r\nMore\r\n")
            << AppOptionsRecord{"Grid", 1, 0, "", 0, 1};
        QTest::newRow("empty file is not missing") << QByteArray() << kEarlier;
        QTest::newRow("Windows-1252 bytes")
            << QByteArray("OutputResults|Grid\r\nShowResults|1\r\nShowEP|0\r\n"
                          "QueryTemplate|SELECT '\x80 caf\xe9' FROM DUAL\r\n")
            << AppOptionsRecord{"Grid", 1, 0, QString::fromUtf8("SELECT '€ café' FROM DUAL"),
                                77,     7};
    }
    void readingRules() {
        QFETCH(QByteArray, content);
        QFETCH(AppOptionsRecord, expected);
        writeBytes(OptionsFile, content);
        AppOptions = kEarlier;
        Read_Options();
        QCOMPARE(AppOptions, expected);
        QCOMPARE(fileBytes(OptionsFile), content); // never rewritten by reading
    }

    void templatesSurviveAWriteAndRead_data() {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<bool>("writtenAsTyped");
        QTest::newRow("plain") << "SELECT a, b FROM t -- c:\\temp | x" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("line breaks") << "SELECT *\nFROM emp\r\nWHERE 1 = 1\n" << false;
        QTest::newRow("backslashes and breaks") << "a\\nb\\\\\nc\\r|d" << false;
        QTest::newRow("looks escaped") << "{escaped}a\\nb" << false;
    }
    void templatesSurviveAWriteAndRead() {
        QFETCH(QString, templateText);
        QFETCH(bool, writtenAsTyped);
        const AppOptionsRecord options{"Grid", 1, 0, templateText, 250, 1};
        QVERIFY(Save_Options(options));
        const QByteArray bytes = fileBytes(OptionsFile);
        QCOMPARE(bytes.count("\r\n"), 6);
        QCOMPARE(bytes.contains("QueryTemplate|" + templateText.toUtf8() + "\r\n"), writtenAsTyped);
        QVERIFY(bytes.contains("RecordLimit|250\r\n"));
        AppOptions = AppOptionsRecord{};
        Read_Options();
        QCOMPARE(AppOptions, options);
    }

    void readFile() {
        QString why;
        QVERIFY(!Read_File(env.file("missing.txt"), &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(!Read_File(env.path())); // a folder
        writeBytes(env.file("empty.txt"), "");
        QCOMPARE(Read_File(env.file("empty.txt")), QString(""));
        writeBytes(env.file("text.txt"), "a\r\nb");
        QCOMPARE(Read_File(env.file("text.txt")), QString("a\r\nb"));
        // A file whose text happens to be -1 is read like any other.
        writeBytes(env.file("minus.txt"), "-1");
        QCOMPARE(Read_File(env.file("minus.txt")), QString("-1"));
    }

    void numericKeyFilter() {
        QCOMPARE(Filter_Numeric_Key(8), 8);
        for (int code = 48; code <= 57; ++code)
            QCOMPARE(Filter_Numeric_Key(code), code);
        for (int code : {0, 13, 32, 43, 45, 46, 47, 58, 65, 97, 255})
            QCOMPARE(Filter_Numeric_Key(code), 0);
    }

    void dialogLoadsTheOptions() {
        AppOptions = {"comma seperated values(csv)", 0, 1, "SELECT 1", 250, 0};
        frmOptions dialog;
        QCOMPARE(dialog.windowTitle(), QString("Options"));
        QCOMPARE(dialog.SSTab1->tabText(0), QString("General"));
        QCOMPARE(dialog.SSTab1->tabText(1), QString("Query"));
        QCOMPARE(dialog.cboResults->currentText(), QString("Comma Seperated Values(CSV)"));
        QVERIFY(!dialog.chkShowResults->isChecked());
        QVERIFY(dialog.chkShowPlan->isChecked());
        QCOMPARE(dialog.txtDefaultText->toPlainText(), QString("SELECT 1"));
        QCOMPARE(dialog.txtMaxRecords->text(), QString("250"));
        QVERIFY(!dialog.chkColourCode->isChecked());
        QCOMPARE(dialog.txtMaxRecords->maxLength(), 5);
    }

    void dialogFallsBackToGrid() {
        AppOptions = {"Spreadsheet", 0, 1, "SELECT 1", 250, 0};
        frmOptions unknownOutput;
        QCOMPARE(unknownOutput.cboResults->currentText(), QString("Grid"));
        QVERIFY(unknownOutput.chkShowResults->isChecked());
        QVERIFY(!unknownOutput.chkShowPlan->isChecked());
        QVERIFY(unknownOutput.txtMaxRecords->text().isEmpty());
        QVERIFY(unknownOutput.chkColourCode->isChecked());
        AppOptions = {"File", 1, 5, "SELECT 1", 250, 0};
        frmOptions badState;
        QCOMPARE(badState.cboResults->currentText(), QString("Grid"));
        QVERIFY(badState.txtDefaultText->toPlainText().isEmpty());
    }

    void okStoresAndSavesCancelDiscards() {
        AppOptions = {"Grid", 1, 0, "", 0, 1};
        QVERIFY(Save_Options(AppOptions));
        const QByteArray before = fileBytes(OptionsFile);
        {
            frmOptions dialog;
            dialog.cboResults->setCurrentText("File");
            dialog.chkShowPlan->setChecked(true);
            dialog.txtMaxRecords->setText("12");
            dialog.txtDefaultText->setPlainText("SELECT *\nFROM dual");
            dialog.cmdCancel->click();
            QVERIFY(dialog.Cancelled());
        }
        QCOMPARE(AppOptions, (AppOptionsRecord{"Grid", 1, 0, "", 0, 1}));
        QCOMPARE(fileBytes(OptionsFile), before);
        frmOptions dialog;
        dialog.cboResults->setCurrentText("File");
        dialog.chkShowPlan->setChecked(true);
        dialog.txtMaxRecords->setFocus();
        QTest::keyClicks(dialog.txtMaxRecords, "1a-2.x3456");
        QCOMPARE(dialog.txtMaxRecords->text(), QString("12345"));
        QTest::keyClick(dialog.txtMaxRecords, Qt::Key_Backspace);
        dialog.txtDefaultText->setPlainText("SELECT *\nFROM dual");
        dialog.cmdOK->click();
        QVERIFY(!dialog.Cancelled());
        const AppOptionsRecord expected{"File", 1, 1, "SELECT *\nFROM dual", 1234, 1};
        QCOMPARE(AppOptions, expected);
        AppOptions = AppOptionsRecord{};
        Read_Options();
        QCOMPARE(AppOptions, expected);
    }

    void defaultTextIsLimited() {
        frmOptions dialog;
        dialog.txtDefaultText->setPlainText(QString(2500, 'x'));
        QCOMPARE(dialog.txtDefaultText->toPlainText().size(), 2000);
    }

    void unwritableFolderIsReportedAndChangesNothing() {
        writeBytes(env.file("plain.txt"), "not a folder");
        OptionsFile = env.file("plain.txt") + "/Options.DAT";
        const QStringList before =
            QDir(env.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        AppOptions = {"File", 1, 1, "kept", 5, 1};
        QVERIFY(!Save_Options(AppOptions));
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, QMessageBox::Warning);
        QVERIFY(prompt.messages[0].text.startsWith("The options could not be saved to "));
        QCOMPARE(AppOptions, (AppOptionsRecord{"File", 1, 1, "kept", 5, 1}));
        QCOMPARE(fileBytes(env.file("plain.txt")), QByteArray("not a folder"));
        QCOMPARE(QDir(env.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        // With no way to read or create the file the defaults are used, and the user is told
        // once.
        Read_Options();
        QCOMPARE(prompt.messages.size(), 2);
        QVERIFY2(prompt.messages[1].text.startsWith("The options file "),
                 qPrintable(prompt.messages[1].text));
        QCOMPARE(AppOptions, AppOptionsRecord{});
        QCOMPARE(AppOptions, (AppOptionsRecord{"Grid", 1, 0, "", 0, 1}));
    }
};

QTEST_MAIN(tst_options)
#include "tst_options.moc"
