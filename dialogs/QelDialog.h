#pragma once

#include <QDialog>

class QShowEvent;

namespace qel {

// A Qel dialog window. FormShow runs each time the program opens the window,
// right after it is shown, but not when the desktop shows it again (restored,
// uncovered). FormClose runs when the open window closes, by any button or
// its close box, while it is still on screen.
class TQelDialog : public QDialog {
public:
    using QDialog::QDialog;

    void done(int result) override;

protected:
    virtual void FormShow() {}
    virtual void FormClose() {}

    void showEvent(QShowEvent* event) override;
};

} // namespace qel
