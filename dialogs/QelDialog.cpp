#include "dialogs/QelDialog.h"

#include <QShowEvent>

namespace qel {

void TQelDialog::done(int result) {
    if (isVisible())
        FormClose();
    QDialog::done(result);
}

void TQelDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

} // namespace qel
