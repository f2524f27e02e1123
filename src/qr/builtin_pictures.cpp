#include "qr/builtin_pictures.h"

#include <QImage>
#include <QPainter>

namespace qr {

namespace {
constexpr int kSize = 35;

// A light rounded button on the design background; lit, it takes an orange rim.
void drawButton(QPainter& p, bool lit) {
    p.fillRect(QRect(0, 0, kSize, kSize), QColor(0xC8, 0xE3, 0xFB));
    p.setPen(QPen(lit ? QColor(0xF0, 0x9A, 0x1A) : QColor(0x7F, 0xA8, 0xD6), lit ? 2.0 : 1.0));
    p.setBrush(lit ? QColor(0xFF, 0xF0, 0xC4) : QColor(0xF4, 0xF9, 0xFF));
    p.drawRoundedRect(QRectF(1.5, 1.5, kSize - 3, kSize - 3), 6, 6);
}

// A picture frame with an arrow coming down beside it.
void drawLoad(QPainter& p) {
    const QColor ink(0x1C, 0x44, 0x73), accent(0x2A, 0x7F, 0xD4);
    p.setPen(QPen(ink, 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 9, 17, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(
        QPolygonF{QPointF(7, 23), QPointF(12, 15), QPointF(16, 20), QPointF(18, 18), QPointF(22, 23)});
    p.setBrush(accent);
    p.drawRect(QRectF(25.5, 8, 3, 13));
    p.drawPolygon(QPolygonF{QPointF(22.5, 20), QPointF(31.5, 20), QPointF(27, 27)});
}

// A printer with a sheet coming out.
void drawPrint(QPainter& p) {
    const QColor ink(0x1C, 0x44, 0x73);
    p.setPen(QPen(ink, 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11, 6, 13, 8));
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(6, 13, 23, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(10, 20, 15, 9));
}
}  // namespace

QPixmap builtinPicture(BuiltinPicture which) {
    QImage image(kSize, kSize, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const bool lit = which == BuiltinPicture::LoadLit || which == BuiltinPicture::PrintLit;
    drawButton(p, lit);
    if (which == BuiltinPicture::Load || which == BuiltinPicture::LoadLit)
        drawLoad(p);
    else
        drawPrint(p);
    p.end();
    return QPixmap::fromImage(image);
}

}  // namespace qr
