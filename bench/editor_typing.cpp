// The SQL editor on big scripts: one key press in the middle of a script of 100, 1,000 and
// 10,000 lines (it must not grow with the script), and loading a 10 MB script until it shows.

#include "editor/SqlEditor.h"
#include "editor/SqlHighlighter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>
#include <cstdio>

namespace {

QString script(int lines) {
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QString("SELECT ename, sal FROM emp WHERE deptno = %1 AND job <> 'CLERK'; -- %1\n")
                    .arg(i);
    return text;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    for (bool colouring : {true, false}) {
        for (int lines : {100, 1000, 10000}) {
            SqlEditor editor;
            editor.highlighter()->setColouring(colouring);
            editor.resize(800, 600);
            editor.show();
            editor.setPlainText(script(lines));
            editor.highlighter()->finish();
            QApplication::processEvents();
            QTextCursor cursor = editor.textCursor();
            cursor.setPosition(editor.document()->findBlockByNumber(lines / 2).position() + 10);
            editor.setTextCursor(cursor);
            editor.setFocus();
            constexpr int kPresses = 200;
            QElapsedTimer clock;
            clock.start();
            for (int i = 0; i < kPresses; ++i) {
                QTest::keyClick(&editor, i % 2 ? Qt::Key_Backspace : Qt::Key_X);
                QApplication::processEvents();
            }
            std::printf("key press in the middle of %6d lines, colouring %-3s: %.3f ms\n", lines,
                        colouring ? "on" : "off", clock.nsecsElapsed() / 1e6 / kPresses);
        }
    }
    {
        // A comment opened at the top: every line below changes colour, in slices.
        SqlEditor editor;
        editor.resize(800, 600);
        editor.show();
        editor.setPlainText(script(10000));
        editor.highlighter()->finish();
        QElapsedTimer clock;
        clock.start();
        editor.moveCursor(QTextCursor::Start);
        editor.insertPlainText("/*");
        const double atOnce = clock.nsecsElapsed() / 1e6;
        editor.highlighter()->finish();
        std::printf("'/*' typed above 10,000 lines: %.1f ms at once, %.1f ms until all coloured\n",
                    atOnce, clock.nsecsElapsed() / 1e6);
    }
    {
        const QString big = script(140000); // about 10 MB
        SqlEditor editor;
        editor.resize(800, 600);
        editor.show();
        QElapsedTimer clock;
        clock.start();
        editor.setPlainText(big);
        QApplication::processEvents(); // the first paint
        const double shown = clock.nsecsElapsed() / 1e6;
        editor.highlighter()->finish();
        std::printf("load %.1f MB: shown after %.0f ms, all coloured after %.0f ms\n",
                    big.toUtf8().size() / 1e6, shown, clock.nsecsElapsed() / 1e6);
    }
    return 0;
}
