#include "DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

DialogButtons makeDialogButtons(QWidget *dialog, const QString &okText, const QString &cancelText) {
    auto *ok = new QPushButton(okText, dialog);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    auto *cancel = new QPushButton(cancelText, dialog);
    cancel->setObjectName("cmdCancel");
    cancel->setAutoDefault(false);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return {ok, cancel, row};
}
