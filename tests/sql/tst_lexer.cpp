// The shared SQL lexer: tokens with their places, and the state a text leaves open for the text
// after it (an editor's next line).

#include "sql/SqlTokenizer.h"

#include <QtTest>

using namespace bm::db;

Q_DECLARE_METATYPE(LexState)

namespace {

// The tokens as "kind:text" and the state at the end.
QStringList lex(const std::string &text, LexState start, LexState &end) {
    static const char *const kinds[] = {"word",     "name",  "string", "number",
                                        "operator", "space", "comment"};
    QStringList out;
    Lexer lexer(text, 0, start);
    std::size_t expected = 0;
    for (Lexeme l; lexer.next(l);) {
        if (l.offset != expected)
            return {"gap"};
        expected = l.offset + l.length;
        out << QString(kinds[static_cast<int>(l.kind)]) + ":" +
                   QString::fromStdString(text.substr(l.offset, l.length));
    }
    end = lexer.state();
    return out;
}

} // namespace

class tst_lexer : public QObject {
    Q_OBJECT
private slots:
    void statesAcrossTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<LexState>("start");
        QTest::addColumn<QStringList>("tokens");
        QTest::addColumn<LexState>("end");
        QTest::newRow("plain") << "a<=1" << LexState::Normal
                               << QStringList{"word:a", "operator:<=", "number:1"}
                               << LexState::Normal;
        QTest::newRow("comment left open")
            << "x /* a" << LexState::Normal << QStringList{"word:x", "space: ", "comment:/* a"}
            << LexState::BlockComment;
        QTest::newRow("comment closed")
            << "b */ y" << LexState::BlockComment
            << QStringList{"comment:b */", "space: ", "word:y"} << LexState::Normal;
        QTest::newRow("comment goes on") << "still" << LexState::BlockComment
                                         << QStringList{"comment:still"} << LexState::BlockComment;
        QTest::newRow("literal left open")
            << "'it''s" << LexState::Normal << QStringList{"string:'it''s"} << LexState::String;
        QTest::newRow("literal closed")
            << "x'' y' z" << LexState::String << QStringList{"string:x'' y'", "space: ", "word:z"}
            << LexState::Normal;
        QTest::newRow("quoted name open")
            << "\"a b" << LexState::Normal << QStringList{"name:\"a b"} << LexState::QuotedName;
        QTest::newRow("quoted name closed")
            << "c\"." << LexState::QuotedName << QStringList{"name:c\"", "operator:."}
            << LexState::Normal;
        QTest::newRow("line comment ends with its line")
            << "-- x '" << LexState::Normal << QStringList{"comment:-- x '"} << LexState::Normal;
        QTest::newRow("empty text keeps nothing open")
            << "" << LexState::Normal << QStringList{} << LexState::Normal;
    }
    void statesAcrossTexts() {
        QFETCH(QString, text);
        QFETCH(LexState, start);
        QFETCH(QStringList, tokens);
        QFETCH(LexState, end);
        LexState actual = LexState::Normal;
        QCOMPARE(lex(text.toStdString(), start, actual), tokens);
        QCOMPARE(actual, end);
    }
};

QTEST_MAIN(tst_lexer)
#include "tst_lexer.moc"
