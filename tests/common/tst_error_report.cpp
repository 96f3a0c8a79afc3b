#include "ScriptedPrompt.h"
#include "common/BusyCursor.h"
#include "common/ErrorReport.h"
#include "common/frmError.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrlQuery>
#include <QtTest>

// Receives the mail links the error dialog opens.
class MailCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> links;
public slots:
    void open(const QUrl &url) { links.append(url); }
};

class tst_error_report : public QObject {
    Q_OBJECT
    ScriptedPrompt prompt;
    MailCatcher mail;

private slots:
    void init() {
        QDesktopServices::setUrlHandler("mailto", &mail, "open");
        mail.links.clear();
        prompt.messages.clear();
        prompt.dialogs.clear();
        prompt.dialogHandlers.clear();
    }
    void cleanup() { QDesktopServices::unsetUrlHandler("mailto"); }

    void reportTextAndLinkCarryTheFieldsExactly_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("description");
        QTest::newRow("zero") << "0"
                              << "src"
                              << "desc";
        QTest::newRow("negative") << "-2147217900"
                                  << "Provider..modDatabase.Get_Recordset"
                                  << "ORA-00942: table or view does not exist";
        QTest::newRow("empty description") << "5"
                                           << "s"
                                           << "";
        QTest::newRow("line breaks") << "1"
                                     << "s"
                                     << "first line\r\nsecond line\nthird";
        QTest::newRow("mail specials") << "1"
                                       << "a&b=c"
                                       << "50% done? #1 & more+less;/,";
        QTest::newRow("non-ASCII") << "1"
                                   << "Ünïcode"
                                   << "€ – naïve 日本";
    }
    void reportTextAndLinkCarryTheFieldsExactly() {
        QFETCH(QString, number);
        QFETCH(QString, source);
        QFETCH(QString, description);
        const QString report = errorReportText(number, source, description);
        QCOMPARE(report, "-----Error Report for Product:Brindlemark 2.0.1\r\n----- ***** NO: " +
                             number + "\r\n ***** SOURCE: " + source +
                             "\r\n ***** DESCRIPTION:" + description + "\r\n ***** ");
        const QUrl link = errorReportLink(report);
        QVERIFY(link.isValid());
        QCOMPARE(link.scheme(), QString("mailto"));
        QCOMPARE(link.path(), supportMailAddress());
        const QUrlQuery query(link);
        QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded), QString("Bug Report"));
        QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded), report);
        QCOMPARE(query.queryItems().size(), 2);
        QVERIFY(link.toEncoded().contains("%0D%0A"));
    }

    void reportShowsTheDialogWithTheFields() {
        bm::setHourglass();
        bool hourglassWhileShown = true;
        prompt.dialogHandlers.enqueue([&](QDialog &dialog) {
            hourglassWhileShown = bm::isHourglass();
            auto &error = static_cast<frmError &>(dialog);
            [&] {
                QCOMPARE(error.windowTitle(), QString("Error Report"));
                QCOMPARE(error.txtNo->text(), QString("-5"));
                QCOMPARE(error.txtSource->toPlainText(), QString("S..X.Y"));
                QCOMPARE(error.txtDescription->toPlainText(), QString("line 1\nline 2"));
                QCOMPARE(error.cmdOK->text(), QString("Send Report"));
                QCOMPARE(error.cmdCancel->text(), QString("Don't Send"));
            }();
            return int(QDialog::Rejected);
        });
        Report_Error("-5", "S..X.Y", "line 1\nline 2");
        QCOMPARE(prompt.dialogs, QStringList{"frmError"});
        QVERIFY(!hourglassWhileShown);
    }

    void errorTailLabelsTheChain() {
        QString shownSource, shownNumber;
        prompt.dialogHandlers.enqueue([&](QDialog &dialog) {
            auto &error = static_cast<frmError &>(dialog);
            shownSource = error.txtSource->toPlainText();
            shownNumber = error.txtNo->text();
            return int(QDialog::Rejected);
        });
        const bool ok = runReporting("..MDIMain.Load_Tables", [] {
            bm::reraiseLabelled("..modDatabase.Get_Recordset", [] {
                throw bm::AppError(bm::kErrStatementRejected, "Provider", "bad");
            });
        });
        QVERIFY(!ok);
        QCOMPARE(shownNumber, QString("-2147217900"));
        QCOMPARE(shownSource, QString("Provider..modDatabase.Get_Recordset..MDIMain.Load_Tables"));
        QVERIFY(runReporting("..X.Y", [] {}));
        QCOMPARE(prompt.dialogs.size(), 1);
    }

    void enterSendsAndTheDialogStaysEscapeCloses() {
        frmError dialog;
        dialog.setDetails("7", "src", "a & b");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Return);
        dialog.cmdOK->click();
        QCOMPARE(mail.links.size(), 2);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QUrlQuery(mail.links[0]).queryItemValue("body", QUrl::FullyDecoded),
                 errorReportText("7", "src", "a & b"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(mail.links.size(), 2);
        QVERIFY(prompt.messages.isEmpty());
    }

    void failedLaunchShowsTheFallback() {
        // A handler without the named slot makes the launch fail.
        QDesktopServices::setUrlHandler("mailto", &mail, "noSuchSlot");
        frmError dialog;
        dialog.setDetails("1", "s", "d");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
        dialog.sendReport();
        QCOMPARE(prompt.messages.size(), 1);
        QCOMPARE(prompt.messages[0].icon, QMessageBox::Warning);
        QCOMPARE(prompt.messages[0].text,
                 "There were problems encountered whilst launching your Internet mail client.\r"
                 "Please take a screen sample by pressing 'ALT + PrtSc' and email to " +
                     supportMailAddress());
    }
};

QTEST_MAIN(tst_error_report)
#include "tst_error_report.moc"
