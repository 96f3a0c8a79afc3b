#include "frmTrace.h"

#include "TraceLog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {
QPointer<frmTrace> theTraceWindow;
}

frmTrace::frmTrace(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmTrace");
    setWindowTitle("Trace Log");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(600, 450);

    txtSQL = new QPlainTextEdit(this);
    txtSQL->setObjectName("txtSQL");
    txtSQL->setReadOnly(true);
    txtSQL->setAccessibleName("Trace log");
    txtSQL->setLineWrapMode(QPlainTextEdit::NoWrap);

    Command1 = new QPushButton("Hide", this);
    Command1->setObjectName("Command1");
    connect(Command1, &QPushButton::clicked, this, &QWidget::hide);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(txtSQL);
    layout->addLayout(buttons);
}

void frmTrace::addEntry(const QString &entry) {
    QString text = entry;
    text.replace("\r\n", "\n");
    text.append("\n\n");
    QTextCursor cursor(txtSQL->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(text);
}

QString frmTrace::logText() const {
    return txtSQL->toPlainText();
}

frmTrace *existingTraceWindow() {
    return theTraceWindow.data();
}

frmTrace *traceWindow() {
    if (!theTraceWindow)
        theTraceWindow = new frmTrace;
    return theTraceWindow.data();
}

void Write_Trace(const QString &entry) {
    // The window takes the entry on its own thread (at once when written there).
    static const bool listening = [] {
        TraceLog &log = TraceLog::instance();
        QObject::connect(&log, &TraceLog::written, &log,
                         [](const QString &text) { traceWindow()->addEntry(text); });
        return true;
    }();
    Q_UNUSED(listening);
    TraceLog::instance().write(entry);
}

void Show_Trace() {
    frmTrace *window = traceWindow();
    window->show();
    window->raise();
    window->activateWindow();
}
