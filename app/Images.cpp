#include "app/Images.h"

#include <QString>

namespace qel::images {

QIcon SmallPic(int index) {
    if (index < 0 || index >= SmallPicCount)
        return {};
    return QIcon(QStringLiteral(":/icons/small-%1.svg").arg(index, 2, 10, QLatin1Char('0')));
}

QIcon NewMailFrame(int frame) {
    return QIcon(QStringLiteral(":/icons/mail-%1.svg").arg(frame % 2));
}

QIcon AppIcon() {
    return QIcon(QStringLiteral(":/icons/qel.svg"));
}

} // namespace qel::images
