#include "dialogs/QelDialog.h"

#include <QScreen>
#include <QStyle>

#include <QShowEvent>
#include <algorithm>
#include <cmath>

namespace qel {

void MoveToScreenCentre(QWidget& window) {
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

void TQelDialog::ResizeToFitCaption(int designWidth, int designHeight) {
    // Design sizes were laid out for a font whose lines are 13 pixels high.
    const double scale = std::max(1.0, fontMetrics().height() / 13.0);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const int caption = fontMetrics().horizontalAdvance(windowTitle()) + 4 * titleBar;
    resize(std::max(static_cast<int>(std::lround(designWidth * scale)), caption),
           static_cast<int>(std::lround(designHeight * scale)));
}

void TQelDialog::done(int result) {
    if (isVisible())
        FormClose();
    QDialog::done(result);
}

void TQelDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && FCentredOnScreen && !testAttribute(Qt::WA_Moved))
        MoveToScreenCentre(*this);
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

} // namespace qel
