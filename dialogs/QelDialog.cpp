#include "dialogs/QelDialog.h"

#include <QScreen>
#include <QShowEvent>

namespace qel {

void MoveToScreenCentre(QWidget& window) {
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
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
