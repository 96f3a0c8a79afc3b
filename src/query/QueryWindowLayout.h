#pragma once

// The arrangement of a query window, in twips: the collapsed left panel, the editor panel above
// a draggable splitter, the output panel below it, and the status bar. Every step ignores a size
// the window cannot take and goes on with the next.

#include <QRect>

class QWidget;

struct QueryWindowParts {
    QWidget *window = nullptr;
    QWidget *picPanelLeft = nullptr;
    QWidget *imgSplitter = nullptr;
    QWidget *picSplitter = nullptr;
    QWidget *picPanelTopRight = nullptr;
    QWidget *imgSplitterVertical = nullptr;
    QWidget *picSplitterVertical = nullptr;
    QWidget *picPanelBottomRight = nullptr;
    QWidget *StatusBar1 = nullptr;
};

class QueryWindowLayout {
public:
    static constexpr int kEditorTop = 370;
    static constexpr int kStatusBarHeight = 270;
    static constexpr int kMinimumWidth = 3000;

    explicit QueryWindowLayout(const QueryWindowParts &parts) : parts_(parts) {}

    // The window's client size in twips.
    int windowWidth() const;
    int windowHeight() const;

    void Size_Panels_Horizontally(int &x);
    void Size_Panels_Vertically(int &y);
    // The window was resized: follow it with both layout routines. Until the user first moves
    // the splitter it goes back to where a new window has it (as far as the height allows), so
    // that a window created small and then maximised gets its editor of normal height.
    void windowResized();
    // Where a new window's splitter stands.
    static constexpr int kInitialSplitter = 2000;

    // The splitter drag: mouse down, move (pointer position within the grab strip, in twips)
    // and up.
    void splitterDown();
    void splitterMove(int pointerY);
    void splitterUp();
    bool SplitterMoving() const { return splitterMoving_; }

    // Positions in twips, as the layout last set them.
    QRect leftPanel, imgSplitter, editorPanel, splitterStrip, splitterBar, outputPanel;

    void apply() const;

private:
    QueryWindowParts parts_;
    bool splitterMoving_ = false;
    bool splitterMovedByUser_ = false;
};
