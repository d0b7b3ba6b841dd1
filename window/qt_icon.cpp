#include "qt_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "qt_icon_shapes.h"

namespace zelquin::qt {
namespace {

void Draw(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const IconRect& shape : kIconRects) {
        QColor colour(QString::fromLatin1(shape.fill));
        colour.setAlphaF(shape.opacity);
        painter.setBrush(colour);
        painter.drawRoundedRect(QRectF(shape.x, shape.y, shape.width, shape.height), shape.radius,
                                shape.radius);
    }
    for (const IconCircle& shape : kIconCircles) {
        painter.setBrush(QColor(QString::fromLatin1(shape.fill)));
        painter.drawEllipse(QPointF(shape.cx, shape.cy), shape.r, shape.r);
    }
    // The arrow between the bits and the number.
    QPen pen(QColor(QString::fromLatin1(kIconArrowColour)), kIconArrowWidth, Qt::SolidLine,
             Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const IconStroke& stroke : kIconArrow) {
        QPainterPath path(QPointF(stroke.points[0].x, stroke.points[0].y));
        for (int i = 1; i < stroke.count; ++i) path.lineTo(stroke.points[i].x, stroke.points[i].y);
        painter.drawPath(path);
    }
}

}  // namespace

QIcon ZelquinIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.scale(size / kIconViewBox, size / kIconViewBox);
        Draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace zelquin::qt
