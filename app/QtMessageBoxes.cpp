#include "app/QtMessageBoxes.h"

#include <QMessageBox>
#include <QString>

namespace qel {

namespace {

QMessageBox::Icon IconOf(TBoxKind kind) {
    switch (kind) {
    case TBoxKind::Error:
        return QMessageBox::Critical;
    case TBoxKind::Warning:
        return QMessageBox::Warning;
    case TBoxKind::Information:
        return QMessageBox::Information;
    case TBoxKind::Plain:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

} // namespace

TBoxAnswer TQtMessageBoxes::Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) {
    // The record classes separate lines with a carriage return.
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(IconOf(kind), QStringLiteral("Qel"), QString(), QMessageBox::NoButton, FParent);
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    if (buttons == TBoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (buttons == TBoxButtons::Ok)
        return TBoxAnswer::Ok;
    return result == QMessageBox::Yes ? TBoxAnswer::Yes : TBoxAnswer::No;
}

} // namespace qel
