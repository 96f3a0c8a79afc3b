#include "HelpWindow.h"

#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName("HelpWindow");
    setWindowTitle("Brindlemark Help");
    setAttribute(Qt::WA_DeleteOnClose);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("helpBrowser");
    browser_->setAccessibleName("Help");
    browser_->setOpenExternalLinks(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 520);
    connect(browser_, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle("Brindlemark Help - " + browser_->documentTitle()); });
}

void HelpWindow::showPage(const QString &url) {
    browser_->setSource(QUrl(url));
}

HelpWindow *Show_Help(const QString &helpFile) {
    static QPointer<HelpWindow> window;
    // A window the user closed is on its way out (deleted on close) even while its deletion
    // waits; a new one is shown instead of one that would vanish.
    if (!window || !window->isVisible())
        window = new HelpWindow;
    window->showPage(helpFile);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
