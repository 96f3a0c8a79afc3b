#pragma once

// The splash window: shown first; after two seconds, or at a key press, it brings up the main
// window exactly once and then goes.

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class MDIMain;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    QLabel *Picture1;
    QLabel *lblVersion;
    QTimer Timer1;

    // Shows the main window (running its load) and unloads the splash; once only.
    void Timer1_Timer();
    MDIMain *mainWindow() const { return main_; }

signals:
    void mainWindowShown(MDIMain *main);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QPointer<MDIMain> main_; // the main window deletes itself when closed
    bool started_ = false;
};
