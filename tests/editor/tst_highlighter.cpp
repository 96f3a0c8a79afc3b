// Keyword colouring: which spans of a text get which colour, read back from the formats the
// highlighter gives each line, with colouring on and off.

#include "editor/SqlHighlighter.h"

#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {

QString colourName(const QColor &colour) {
    if (colour == SqlHighlighter::kBlue)
        return "blue";
    if (colour == SqlHighlighter::kGreen)
        return "green";
    if (colour == SqlHighlighter::kGrey)
        return "grey";
    if (colour == SqlHighlighter::kRed)
        return "red";
    if (colour == SqlHighlighter::kComment)
        return "comment";
    if (colour == SqlHighlighter::kLiteral)
        return "literal";
    return colour.name();
}

// Every coloured span of the document as "text:colour", in order.
QStringList spans(const QTextDocument &document) {
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (const QTextLayout::FormatRange &range : block.layout()->formats())
            out << block.text().mid(range.start, range.length) + ":" +
                       colourName(range.format.foreground().color());
    return out;
}

// A document laid out as the editor lays out its text.
struct EditorDocument : QTextDocument {
    EditorDocument() { setDocumentLayout(new QPlainTextDocumentLayout(this)); }
};

QStringList coloured(const QString &text, bool colouring = true) {
    EditorDocument document;
    SqlHighlighter highlighter(&document);
    highlighter.setColouring(colouring);
    document.setPlainText(text);
    highlighter.finish();
    return spans(document);
}

} // namespace

class tst_highlighter : public QObject {
    Q_OBJECT
private slots:
    void spansByText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("keywords, case kept")
            << "select * from emp where a = 1"
            << QStringList{"select:blue", "from:blue", "where:blue", "=:grey"};
        QTest::newRow("at the end of a line and of the text")
            << "SELECT\nFROM" << QStringList{"SELECT:blue", "FROM:blue"};
        QTest::newRow("whole words only")
            << "FOR CANNOT BRAND color ORDERS SELECTED" << QStringList{};
        QTest::newRow("the four colours")
            << "CREATE TABLE t AS SELECT a FROM b WHERE x AND NOT y"
            << QStringList{"CREATE:green", "TABLE:red", "SELECT:blue", "FROM:blue",
                           "WHERE:blue",   "AND:grey",  "NOT:grey"};
        QTest::newRow("order by with any white space")
            << "GROUP\t BY a ORDER  BY b desc"
            << QStringList{"GROUP:blue", "BY:blue", "ORDER:blue", "BY:blue", "desc:blue"};
        QTest::newRow("order by over two lines")
            << "ORDER\n  BY x" << QStringList{"ORDER:blue", "BY:blue"};
        QTest::newRow("by alone") << "BY ORDER x" << QStringList{};
        QTest::newRow("inside a literal")
            << "SELECT 'from a = b' FROM t"
            << QStringList{"SELECT:blue", "'from a = b':literal", "FROM:blue"};
        QTest::newRow("inside a comment")
            << "-- select from\nSELECT /* where */ 1"
            << QStringList{"-- select from:comment", "SELECT:blue", "/* where */:comment"};
        QTest::newRow("comment over lines")
            << "/* select\nfrom */ where"
            << QStringList{"/* select:comment", "from */:comment", "where:blue"};
        QTest::newRow("literal over lines")
            << "'a\nselect' from" << QStringList{"'a:literal", "select':literal", "from:blue"};
        QTest::newRow("quoted name")
            << "SELECT \"from\" FROM t" << QStringList{"SELECT:blue", "FROM:blue"};
        QTest::newRow("comparisons")
            << "a >= 1 AND b <> 2 OR c != 3"
            << QStringList{">:grey", "=:grey", "AND:grey", "<:grey", ">:grey", "OR:grey", "=:grey"};
        QTest::newRow("letters beyond ASCII keep their places")
            << "SELECT 'é' Straße FROM t" << QStringList{"SELECT:blue", "'é':literal", "FROM:blue"};
        QTest::newRow("tilde, backslash, brace are text")
            << "~ \\ { } select" << QStringList{"select:blue"};
    }
    void spansByText() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(coloured(text), expected);
        QCOMPARE(coloured(text, false), QStringList{});
    }

    // The text is never changed, and switching colouring takes effect at once.
    void switchingRecoloursWithoutTouchingTheText() {
        EditorDocument document;
        SqlHighlighter highlighter(&document);
        document.setPlainText("select 1 from dual");
        highlighter.finish();
        QCOMPARE(spans(document), QStringList({"select:blue", "from:blue"}));
        highlighter.setColouring(false);
        highlighter.finish();
        QCOMPARE(spans(document), QStringList{});
        highlighter.setColouring(true);
        highlighter.finish();
        QCOMPARE(spans(document), QStringList({"select:blue", "from:blue"}));
        QCOMPARE(document.toPlainText(), QString("select 1 from dual"));
    }

    // A change recolours the lines below it only as far as the state it hands down changes.
    void editsCarryTheirStateDownward() {
        EditorDocument document;
        SqlHighlighter highlighter(&document);
        document.setPlainText("select\nfrom\nwhere");
        highlighter.finish();
        QTextCursor cursor(&document);
        cursor.insertText("/* ");
        highlighter.finish();
        QCOMPARE(spans(document),
                 QStringList({"/* select:comment", "from:comment", "where:comment"}));
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(" */ and");
        highlighter.finish();
        QCOMPARE(spans(document), QStringList({"/* select:comment", "from:comment",
                                               "where */:comment", "and:grey"}));
        cursor.setPosition(0);
        cursor.deleteChar();
        cursor.deleteChar();
        highlighter.finish();
        QCOMPARE(spans(document), QStringList({"select:blue", "from:blue", "where:blue",
                                               "*:" + QColor(Qt::black).name(), "and:grey"})
                                      .filter(QRegularExpression(":(blue|grey)$")));
    }

    // A script too large to colour at once is coloured in slices between events.
    void largeTextIsColouredInSlices() {
        EditorDocument document;
        SqlHighlighter highlighter(&document);
        QString script;
        for (int i = 0; i < 50000; ++i)
            script += "SELECT a FROM t WHERE b = 'x';\n";
        document.setPlainText(script);
        QVERIFY(highlighter.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!highlighter.busy(), 60000);
        const QTextBlock last = document.findBlockByNumber(49999);
        QCOMPARE(last.layout()->formats().size(), 5);
    }
};

QTEST_MAIN(tst_highlighter)
#include "tst_highlighter.moc"
