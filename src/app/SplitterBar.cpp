#include "SplitterBar.h"

#include "common/Twips.h"

#include <QMouseEvent>

SplitterBar::SplitterBar(QWidget *parent) : QWidget(parent) {
    setObjectName("picVBar");
    setCursor(Qt::SizeHorCursor);
    setFixedWidth(std::max(1, bm::twipsToPixels(45)));
    setAccessibleName("Browser splitter");
}

void SplitterBar::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        emit pressed();
}

void SplitterBar::mouseMoveEvent(QMouseEvent *event) {
    emit moved(bm::pixelsToTwips(qRound(event->position().x())));
}

void SplitterBar::mouseReleaseEvent(QMouseEvent *) {
    emit released();
}
