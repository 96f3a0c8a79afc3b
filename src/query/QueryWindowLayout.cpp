#include "QueryWindowLayout.h"

#include "common/Twips.h"

#include <QWidget>

namespace {

QRect toPixels(const QRect &twips) {
    return {bm::twipsToPixels(twips.x()), bm::twipsToPixels(twips.y()),
            std::max(0, bm::twipsToPixels(twips.width())),
            std::max(0, bm::twipsToPixels(twips.height()))};
}

void place(QWidget *widget, const QRect &twips) {
    if (widget)
        widget->setGeometry(toPixels(twips));
}

} // namespace

int QueryWindowLayout::windowWidth() const {
    return bm::pixelsToTwips(parts_.window->width());
}
int QueryWindowLayout::windowHeight() const {
    return bm::pixelsToTwips(parts_.window->height());
}

void QueryWindowLayout::Size_Panels_Horizontally(int &x) {
    const int width = windowWidth();
    leftPanel.moveLeft(0);
    imgSplitter.moveTop(leftPanel.top());
    // The left panel is always collapsed.
    x = 0;
    if (width - 1500 < x)
        x = width - 1500;
    leftPanel.setWidth(std::max(0, x));
    imgSplitter.moveLeft(x);
    const bool statusBarShown = parts_.StatusBar1 && !parts_.StatusBar1->isHidden();
    leftPanel.setHeight(
        std::max(0, windowHeight() - (statusBarShown ? kStatusBarHeight : 0) - 120));
    leftPanel.moveTop(500);
    imgSplitter.setHeight(std::max(0, leftPanel.height() - 10));
    editorPanel.moveLeft(40);
    editorPanel.setWidth(std::max(0, width - x - 200));
    outputPanel.moveLeft(editorPanel.left());
    outputPanel.setWidth(editorPanel.width());
    splitterStrip.moveLeft(outputPanel.left());
    splitterStrip.setWidth(outputPanel.width());
    apply();
}

void QueryWindowLayout::Size_Panels_Vertically(int &y) {
    const int height = windowHeight();
    splitterStrip.moveLeft(outputPanel.left());
    splitterStrip.setWidth(outputPanel.width());
    splitterBar.moveLeft(splitterStrip.left());
    splitterBar.setWidth(splitterStrip.width());
    imgSplitter.moveTop(leftPanel.top());
    if (y >= height - 1000)
        y = height - 1000;
    if (y <= 1000)
        y = 1000;
    splitterStrip.moveTop(y);
    splitterStrip.setHeight(100);
    outputPanel.moveTop(y + 100);
    outputPanel.setHeight(std::max(0, height - outputPanel.top() - 690));
    editorPanel.setHeight(std::max(0, y - editorPanel.top()));
    apply();
}

void QueryWindowLayout::windowResized() {
    int x = imgSplitter.left();
    Size_Panels_Horizontally(x);
    int y = splitterMovedByUser_ ? splitterStrip.top() : kInitialSplitter;
    Size_Panels_Vertically(y);
}

void QueryWindowLayout::splitterDown() {
    splitterBar = QRect(splitterStrip.left(), splitterStrip.top(),
                        std::max(0, splitterStrip.width() - 20), 20);
    if (parts_.picSplitterVertical) {
        place(parts_.picSplitterVertical, splitterBar);
        parts_.picSplitterVertical->show();
        parts_.picSplitterVertical->raise();
    }
    splitterMoving_ = true;
}

void QueryWindowLayout::splitterMove(int pointerY) {
    if (!splitterMoving_)
        return;
    const int p = splitterStrip.top() + pointerY;
    const int height = windowHeight();
    if (p < 1000)
        splitterBar.moveTop(1000);
    else if (p > height - 1500)
        splitterBar.moveTop(height - 1500);
    else
        splitterBar.moveTop(p);
    place(parts_.picSplitterVertical, splitterBar);
}

void QueryWindowLayout::splitterUp() {
    if (!splitterMoving_)
        return;
    int y = splitterBar.top();
    Size_Panels_Vertically(y);
    if (parts_.picSplitterVertical)
        parts_.picSplitterVertical->hide();
    splitterMoving_ = false;
    splitterMovedByUser_ = true;
}

void QueryWindowLayout::apply() const {
    place(parts_.picPanelLeft, leftPanel);
    place(parts_.imgSplitter, imgSplitter);
    place(parts_.picSplitter, imgSplitter);
    place(parts_.picPanelTopRight, editorPanel);
    place(parts_.picPanelBottomRight, outputPanel);
    place(parts_.imgSplitterVertical, splitterStrip);
    if (parts_.StatusBar1) {
        const int height = windowHeight();
        place(parts_.StatusBar1,
              QRect(0, height - kStatusBarHeight, windowWidth(), kStatusBarHeight));
    }
}
