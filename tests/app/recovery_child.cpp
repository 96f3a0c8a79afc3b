// The program as a user leaves it: logged on, two query windows with unsaved text (one of them
// belonging to a file). Prints "ready" once their text is kept on disk, then runs until killed.
// Usage: recovery_child file.sql

#include "LogOnAnswer.h"
#include "ScriptedPrompt.h"
#include "app/MDIMain.h"
#include "common/SelectTextOnFocus.h"
#include "db/frmLogin.h"
#include "editor/SqlEditor.h"
#include "query/RecoveryStore.h"
#include "query/frmQuery.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brindlemark");
    ScriptedPrompt prompt;
    prompt.dialogHandlers.enqueue(logOnAnswer());
    MDIMain main;
    main.Form_Load();
    main.activeQuery()->txtSQL->setPlainText("SELECT 'first' FROM dual");
    frmQuery *second = main.New_Query();
    second->setFileName(QString::fromLocal8Bit(argv[1]));
    second->txtSQL->setPlainText("SELECT 'second' FROM dual");

    const QString own = QString::number(QCoreApplication::applicationPid()) + "-*.json";
    QElapsedTimer clock;
    clock.start();
    while (QDir(RecoveryStore::instance().directory()).entryList({own}).size() < 2) {
        if (clock.elapsed() > 20000)
            return 1;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        RecoveryStore::instance().waitForWrites();
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}
