#pragma once

// The program's dialogs end in a row of two buttons at the right: cmdOK, the default button
// (Enter), and cmdCancel (Escape reaches it through the dialog's reject).

#include <QString>

class QHBoxLayout;
class QPushButton;
class QWidget;

struct DialogButtons {
    QPushButton *ok;
    QPushButton *cancel;
    QHBoxLayout *row;
};

DialogButtons makeDialogButtons(QWidget *dialog, const QString &okText, const QString &cancelText);
