#include "app/Glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace tmq {

namespace {

QPixmap blankPixmap()
{
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The dark, mostly opaque pixels of the picture in one colour; the light
// ones are left out, so inner outlines survive the greying.
QImage darkParts(const QImage& picture, const QColor& color)
{
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    QImage shape(source.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb pixel = source.pixel(x, y);
            if (qAlpha(pixel) >= 128 && qGray(pixel) < 128)
                shape.setPixel(x, y, color.rgb());
        }
    }
    return shape;
}

} // namespace

QPixmap tickPixmap()
{
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath tick;
    tick.moveTo(3.0, 9.5);
    tick.lineTo(7.0, 13.5);
    tick.lineTo(15.0, 4.5);

    // A dark rim under a lighter stroke gives the tick some depth.
    painter.setPen(QPen(QColor(0x00, 0x60, 0x00), 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.setPen(QPen(QColor(0x00, 0xB0, 0x00), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    return pixmap;
}

QPixmap openDoorPixmap()
{
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);

    // The doorway: a frame around the dark opening.
    const QRect doorway(7, 1, 9, 15);
    painter.setPen(QColor(0x40, 0x20, 0x00));
    painter.setBrush(QColor(0x10, 0x10, 0x10));
    painter.drawRect(doorway);

    // The floor in front of the door.
    painter.setPen(QColor(0x70, 0x70, 0x70));
    painter.drawLine(1, 17, 16, 17);

    // The leaf, hinged on the left side of the doorway and swung towards
    // the viewer, so it looks narrower and taller at its free edge.
    const QPolygonF leaf(
        {QPointF(7.5, 1.5), QPointF(2.5, 3.5), QPointF(2.5, 17.5), QPointF(7.5, 16.5)});
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x60, 0x30, 0x00), 1.0));
    painter.setBrush(QColor(0xC0, 0x80, 0x30));
    painter.drawPolygon(leaf);

    // The knob near the free edge.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xF0, 0xD0, 0x00));
    painter.drawEllipse(QPointF(4.0, 10.0), 0.9, 0.9);
    return pixmap;
}

QPixmap disabledPixmap(const QPixmap& picture)
{
    // The classic greyed look: the dark parts in grey over their own white
    // shadow moved one pixel down and right.
    const QImage image = picture.toImage();
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawImage(QPoint(1, 1), darkParts(image, Qt::white));
    painter.drawImage(QPoint(0, 0), darkParts(image, QColor(0x80, 0x80, 0x80)));
    painter.end();
    return QPixmap::fromImage(result);
}

QIcon buttonIcon(const QPixmap& picture)
{
    QIcon icon;
    icon.addPixmap(picture, QIcon::Normal);
    icon.addPixmap(disabledPixmap(picture), QIcon::Disabled);
    return icon;
}

} // namespace tmq
