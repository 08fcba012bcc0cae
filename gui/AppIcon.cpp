#include "gui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tvqx {

namespace {

// Drawn on a 32-unit grid and scaled, with the small size's lines kept on
// whole pixels by drawing it on its own grid.
QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, size >= 32);
    const qreal u = size / 32.0;

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
    p.setPen(QPen(QColor(16, 20, 28), size >= 32 ? 1.0 : 0.0));
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
    p.setPen(QPen(QColor(16, 96, 32), size >= 32 ? 1.0 : 0.0));
    if (size >= 32)
        p.translate(0.5, 0.5);   // a one-pixel outline on whole pixels
    p.drawPath(arrow);
    return pixmap;
}

} // namespace

QIcon ApplicationIcon()
{
    QIcon icon;
    icon.addPixmap(DrawIcon(32));
    icon.addPixmap(DrawIcon(16));
    return icon;
}

} // namespace tvqx
