#include "CentreForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void Centre_Form(QWidget *form) {
    if (!form)
        return;
    const QScreen *screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = form->frameGeometry().size();
    // Top first, then left, each rounded down.
    form->move(area.x() + (area.width() - size.width()) / 2,
               area.y() + (area.height() - size.height()) / 2);
}
