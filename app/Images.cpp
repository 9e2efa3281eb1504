#include "app/Images.h"

#include <QPixmap>
#include <QString>

#include <array>

namespace qel::images {

namespace {

// Each SVG is parsed once per run and drawn at the two sizes the program
// uses; every row and command shares the one icon, whose size is then known
// without drawing.
QIcon Drawn(const QString& resource) {
    const QIcon svg(resource);
    QIcon icon;
    for (const int side : {16, 32})
        icon.addPixmap(svg.pixmap(side, side));
    return icon;
}

} // namespace

QIcon SmallPic(int index) {
    if (index < 0 || index >= SmallPicCount)
        return {};
    // Never freed: pixmaps must not outlive the application object.
    static auto* icons = new std::array<QIcon, SmallPicCount>;
    QIcon& icon = (*icons)[static_cast<size_t>(index)];
    if (icon.isNull())
        icon = Drawn(QStringLiteral(":/icons/small-%1.svg").arg(index, 2, 10, QLatin1Char('0')));
    return icon;
}

QIcon NewMailFrame(int frame) {
    static auto* frames = new std::array<QIcon, 2>;
    QIcon& icon = (*frames)[static_cast<size_t>(frame % 2)];
    if (icon.isNull())
        icon = Drawn(QStringLiteral(":/icons/mail-%1.svg").arg(frame % 2));
    return icon;
}

QIcon AppIcon() {
    return QIcon(QStringLiteral(":/icons/qel.svg"));
}

} // namespace qel::images
