#pragma once

#include <QDialog>

class QShowEvent;
class QWidget;

namespace qel {

// Moves `window` to the middle of its screen's free area.
void MoveToScreenCentre(QWidget& window);

// A Qel dialog window. FormShow runs each time the program opens the window,
// right after it is shown, but not when the desktop shows it again (restored,
// uncovered). FormClose runs when the open window closes, by any button or
// its close box, while it is still on screen.
class TQelDialog : public QDialog {
public:
    using QDialog::QDialog;

    void done(int result) override;

protected:
    // Each opening puts the window in the middle of the screen (unless it was
    // placed explicitly), not over the main window, which may be hidden in
    // the notification area.
    void SetCentredOnScreen() { FCentredOnScreen = true; }
    // The form's size in pixels (laid out for an 8-point font), grown with
    // the font in use and wide enough for the caption with the title bar's
    // icon and buttons.
    void ResizeToFitCaption(int designWidth, int designHeight);

    virtual void FormShow() {}
    virtual void FormClose() {}

    void showEvent(QShowEvent* event) override;

private:
    bool FCentredOnScreen = false;
};

} // namespace qel
