#pragma once

// The program's help: its own HTML pages, bundled, shown in a help window.

#include <QWidget>

class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    void showPage(const QString &url);
    QTextBrowser *browser() const { return browser_; }

private:
    QTextBrowser *browser_;
};

// Shows the help window (one for the program) at the help file's default page.
HelpWindow *Show_Help(const QString &helpFile);
