#pragma once

// The thin bar beside the left browser panel that the user drags to resize it.

#include <QWidget>

class SplitterBar : public QWidget {
    Q_OBJECT
public:
    explicit SplitterBar(QWidget *parent = nullptr);

signals:
    void pressed();
    // The pointer's horizontal position within the bar, in twips (negative left of it).
    void moved(int x);
    void released();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
