#include "gui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace tvqx {

// Drawn on a 32-unit grid and scaled, with the small sizes' lines kept on
// whole pixels by drawing them on their own grid. From 32 pixels up the
// outlines are antialiased and as wide as one unit (rounded), so that the
// large menu icons keep the proportions of the window's 32-pixel one.
QPixmap ApplicationIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, size >= 32);
    const qreal u = size / 32.0;
    const qreal outline = size >= 32 ? std::round(u) : 0.0;

    // The chip: dark body with pins on both sides.
    const QColor pin(176, 176, 176);
    p.setPen(Qt::NoPen);
    p.setBrush(pin);
    for (int i = 0; i < 4; ++i) {
        const qreal y = (15 + 4 * i) * u;
        p.drawRect(QRectF(4 * u, y, 4 * u, 2 * u));
        p.drawRect(QRectF(24 * u, y, 4 * u, 2 * u));
    }
    p.setBrush(QColor(40, 48, 64));
    p.setPen(QPen(QColor(16, 20, 28), outline));
    p.drawRoundedRect(QRectF(7.5 * u, 12.5 * u, 17 * u, 18 * u), 2 * u, 2 * u);
    // The device maker's red mark on the chip.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(192, 0, 0));
    p.drawEllipse(QRectF(10 * u, 25 * u, 3 * u, 3 * u));

    // The arrow: new firmware going in.
    QPainterPath arrow;
    arrow.moveTo(13 * u, 1 * u);
    arrow.lineTo(19 * u, 1 * u);
    arrow.lineTo(19 * u, 11 * u);
    arrow.lineTo(24 * u, 11 * u);
    arrow.lineTo(16 * u, 20 * u);
    arrow.lineTo(8 * u, 11 * u);
    arrow.lineTo(13 * u, 11 * u);
    arrow.closeSubpath();
    p.setBrush(QColor(48, 176, 64));
    p.setPen(QPen(QColor(16, 96, 32), outline));
    if (int(outline) % 2 == 1)
        p.translate(0.5, 0.5);   // an outline an odd number of pixels wide on whole pixels
    p.drawPath(arrow);
    return pixmap;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    icon.addPixmap(ApplicationIconPixmap(32));
    icon.addPixmap(ApplicationIconPixmap(16));
    return icon;
}

} // namespace tvqx
