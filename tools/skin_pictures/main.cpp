// Draws the skin pictures: for each of the four skins a folder Skin1 … Skin4 with 1.jpg … 30.jpg,
// 39.jpg and 40.jpg, 35 × 35 pixels. An odd number is a button at rest, the even number after it
// the same button lit up. Everything is drawn from shapes, never from a font, so the pictures come
// out the same on every build machine.
//
//   skin_pictures <output folder>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace {

constexpr int kSize = 35;
constexpr qreal kUnit = kSize / 100.0;  // glyphs are drawn on a 100 × 100 grid

struct Palette {
    QColor panel;  // the skin's background, around the rounded button
    QColor top, bottom, border;
    QColor hoverTop, hoverBottom, hoverBorder, glow;
    QColor ink;     // the glyph's outline and solid parts
    QColor accent;  // arrows, folder, the lit parts
    QColor paper;   // sheets and light faces
    QColor ok, cancel;
};

// One palette per skin, in the skin table's order: each suits the background its panel shows.
const Palette kPalettes[4] = {
    // Blue: the panel is &HFBE3C8.
    {QColor(0xC8, 0xE3, 0xFB), QColor(0xFF, 0xFF, 0xFF), QColor(0xD6, 0xE9, 0xFC), QColor(0x7F, 0xA8, 0xD6),
     QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0xF0, 0xC4), QColor(0xF0, 0x9A, 0x1A), QColor(0xFF, 0xC8, 0x50),
     QColor(0x1C, 0x44, 0x73), QColor(0x2A, 0x7F, 0xD4), QColor(0xFF, 0xFF, 0xFF), QColor(0x2E, 0x9E, 0x44),
     QColor(0xD6, 0x3A, 0x2F)},
    // White and grey: the panel is the system's inactive border grey.
    {QColor(0xD4, 0xD0, 0xC8), QColor(0xFF, 0xFF, 0xFF), QColor(0xEA, 0xE8, 0xE3), QColor(0x9A, 0x96, 0x8E),
     QColor(0xFF, 0xFF, 0xFF), QColor(0xDD, 0xEE, 0xFF), QColor(0x1E, 0x78, 0xD7), QColor(0x7F, 0xBF, 0xFF),
     QColor(0x36, 0x36, 0x36), QColor(0x1E, 0x78, 0xD7), QColor(0xFF, 0xFF, 0xFF), QColor(0x2E, 0x9E, 0x44),
     QColor(0xD6, 0x3A, 0x2F)},
    // Yellow: the panel is the system's tooltip yellow.
    {QColor(0xFF, 0xFF, 0xE1), QColor(0xFF, 0xFB, 0xE2), QColor(0xFF, 0xE4, 0x93), QColor(0xC9, 0x9A, 0x2E),
     QColor(0xFF, 0xFF, 0xF2), QColor(0xFF, 0xCE, 0x4A), QColor(0xD9, 0x5F, 0x00), QColor(0xFF, 0xA6, 0x2B),
     QColor(0x5E, 0x3C, 0x00), QColor(0xC8, 0x6A, 0x00), QColor(0xFF, 0xFF, 0xFA), QColor(0x2E, 0x8E, 0x3A),
     QColor(0xC8, 0x32, 0x28)},
    // Dark: the panel is &H404040; light glyphs in the skin's pink.
    {QColor(0x40, 0x40, 0x40), QColor(0x62, 0x62, 0x62), QColor(0x46, 0x46, 0x46), QColor(0x78, 0x78, 0x78),
     QColor(0x7A, 0x6A, 0x7A), QColor(0x55, 0x48, 0x55), QColor(0xFF, 0xC0, 0xFF), QColor(0xFF, 0x8C, 0xF0),
     QColor(0xF4, 0xE6, 0xF4), QColor(0xFF, 0xA8, 0xF4), QColor(0x8A, 0x82, 0x8A), QColor(0x72, 0xDC, 0x86),
     QColor(0xFF, 0x70, 0x66)},
};

using Glyph = std::function<void(QPainter&, const Palette&)>;

QPen inkPen(const Palette& c, qreal width) {
    return QPen(c.ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawButton(QPainter& p, const Palette& c, bool lit) {
    p.fillRect(QRectF(0, 0, 100, 100), c.panel);
    const QRectF face(3, 3, 94, 94);
    QLinearGradient g(0, 3, 0, 97);
    g.setColorAt(0, lit ? c.hoverTop : c.top);
    g.setColorAt(1, lit ? c.hoverBottom : c.bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(face, 18, 18);
    if (lit) {
        // A soft glow inside the rim, so the lit button reads as the same button, switched on.
        QRadialGradient glow(50, 50, 62);
        QColor inner = c.glow;
        inner.setAlpha(0);
        QColor outer = c.glow;
        outer.setAlpha(150);
        glow.setColorAt(0.55, inner);
        glow.setColorAt(1.0, outer);
        p.setBrush(glow);
        p.drawRoundedRect(face, 18, 18);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(lit ? c.hoverBorder : c.border, lit ? 5 : 3));
    p.drawRoundedRect(face.adjusted(1.5, 1.5, -1.5, -1.5), 17, 17);
}

// An arrow from `from` to `to` with a solid head, in the accent colour.
void arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, qreal width = 9) {
    const QLineF line(from, to);
    const qreal head = width * 2.1;
    QLineF shaft(from, to);
    shaft.setLength(line.length() - head * 0.8);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(shaft);
    QLineF back(to, from);
    back.setLength(head);
    const QPointF base = back.p2();
    const QPointF normal = QLineF(base, to).normalVector().unitVector().p2() - base;
    QPolygonF tip{to, base + normal * head * 0.85, base - normal * head * 0.85};
    p.setPen(QPen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPolygon(tip);
    p.setBrush(Qt::NoBrush);
}

// A small round badge in the lower right corner: a check mark or a cross.
void badge(QPainter& p, const Palette& c, bool ok) {
    const QColor colour = ok ? c.ok : c.cancel;
    p.setPen(QPen(c.paper, 3));
    p.setBrush(colour);
    p.drawEllipse(QPointF(71, 71), 17, 17);
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (ok) {
        p.drawPolyline(QPolygonF{QPointF(63, 71), QPointF(69, 78), QPointF(80, 64)});
    } else {
        p.drawLine(QPointF(65, 65), QPointF(77, 77));
        p.drawLine(QPointF(77, 65), QPointF(65, 77));
    }
}

void sheet(QPainter& p, const Palette& c, const QRectF& r, int lines) {
    p.setPen(inkPen(c, 4));
    p.setBrush(c.paper);
    p.drawRoundedRect(r, 3, 3);
    p.setPen(QPen(c.ink, 3.5, Qt::SolidLine, Qt::FlatCap));
    const qreal step = r.height() / (lines + 1);
    for (int i = 1; i <= lines; ++i) {
        const qreal y = r.top() + step * i;
        p.drawLine(QPointF(r.left() + 7, y), QPointF(r.right() - 7, y));
    }
}

void printer(QPainter& p, const Palette& c) {
    // Paper going in at the top.
    p.setPen(inkPen(c, 4));
    p.setBrush(c.paper);
    p.drawRect(QRectF(31, 18, 38, 22));
    // The body.
    p.setBrush(c.ink);
    p.drawRoundedRect(QRectF(16, 38, 68, 32), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(c.accent);
    p.drawEllipse(QPointF(73, 47), 4, 4);
    // The printed page coming out.
    p.setPen(inkPen(c, 4));
    p.setBrush(c.paper);
    p.drawRect(QRectF(28, 58, 44, 26));
    p.setPen(QPen(c.ink, 3.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(35, 67), QPointF(65, 67));
    p.drawLine(QPointF(35, 75), QPointF(58, 75));
}

void person(QPainter& p, QPointF head, qreal scale, const QColor& fill, const QColor& rim) {
    p.setPen(QPen(rim, 3));
    p.setBrush(fill);
    QPainterPath body;
    const qreal w = 20 * scale, top = head.y() + 13 * scale, bottom = head.y() + 40 * scale;
    body.moveTo(head.x() - w, bottom);
    body.cubicTo(head.x() - w, top, head.x() + w, top, head.x() + w, bottom);
    body.closeSubpath();
    p.drawPath(body);
    p.drawEllipse(head, 10 * scale, 10 * scale);
}

void tray(QPainter& p, const Palette& c) {
    p.setPen(QPen(c.ink, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(20, 58), QPointF(20, 80), QPointF(80, 80), QPointF(80, 58)});
}

const std::pair<int, Glyph> kGlyphs[] = {
    // 1: load data — a table of rows with an arrow coming down into it.
    {1,
     [](QPainter& p, const Palette& c) {
         sheet(p, c, QRectF(19, 20, 44, 60), 4);
         arrow(p, QPointF(70, 22), QPointF(70, 80), c.accent, 10);
     }},
    // 3: student base — two people.
    {3,
     [](QPainter& p, const Palette& c) {
         person(p, QPointF(65, 28), 1.0, c.accent, c.paper);
         person(p, QPointF(40, 36), 1.2, c.ink, c.paper);
     }},
    // 5: print.
    {5, [](QPainter& p, const Palette& c) { printer(p, c); }},
    // 7: "Блок" — a closed padlock.
    {7,
     [](QPainter& p, const Palette& c) {
         p.setPen(QPen(c.ink, 9, Qt::SolidLine, Qt::FlatCap));
         p.setBrush(Qt::NoBrush);
         QPainterPath shackle;
         shackle.moveTo(35, 48);
         shackle.lineTo(35, 36);
         shackle.arcTo(QRectF(35, 19, 30, 34), 180, -180);
         shackle.lineTo(65, 48);
         p.drawPath(shackle);
         p.setPen(Qt::NoPen);
         p.setBrush(c.ink);
         p.drawRoundedRect(QRectF(24, 45, 52, 37), 7, 7);
         p.setBrush(c.accent);
         p.drawEllipse(QPointF(50, 59), 6, 6);
         p.drawRect(QRectF(47, 60, 6, 13));
     }},
    // 9: "Открыть" — an open folder.
    {9,
     [](QPainter& p, const Palette& c) {
         p.setPen(inkPen(c, 4));
         p.setBrush(c.accent.darker(125));
         QPainterPath back;
         back.moveTo(16, 78);
         back.lineTo(16, 26);
         back.lineTo(38, 26);
         back.lineTo(44, 33);
         back.lineTo(76, 33);
         back.lineTo(76, 46);
         p.drawPath(back);
         p.setBrush(c.accent);
         p.drawPolygon(QPolygonF{QPointF(16, 78), QPointF(28, 46), QPointF(88, 46), QPointF(76, 78)});
     }},
    // 11: QR — three finder squares and a few modules.
    {11,
     [](QPainter& p, const Palette& c) {
         auto finder = [&](qreal x, qreal y) {
             p.setPen(QPen(c.ink, 5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(x + 2.5, y + 2.5, 20, 20));
             p.setPen(Qt::NoPen);
             p.setBrush(c.ink);
             p.drawRect(QRectF(x + 8.5, y + 8.5, 8, 8));
         };
         finder(18, 18);
         finder(57, 18);
         finder(18, 57);
         p.setPen(Qt::NoPen);
         p.setBrush(c.ink);
         const QPointF modules[] = {{58, 58}, {70, 58}, {64, 64}, {76, 64}, {58, 70}, {70, 76},
                                    {78, 76}, {46, 20}, {46, 32}, {20, 46}, {32, 46}, {46, 46}};
         for (const QPointF& m : modules) p.drawRect(QRectF(m, QSizeF(6.5, 6.5)));
         p.setBrush(c.accent);
         p.drawRect(QRectF(64, 70, 6.5, 6.5));
     }},
    // 13: author — an "i" in a ring.
    {13,
     [](QPainter& p, const Palette& c) {
         p.setPen(QPen(c.accent, 7));
         p.setBrush(c.paper);
         p.drawEllipse(QPointF(50, 50), 31, 31);
         p.setPen(Qt::NoPen);
         p.setBrush(c.ink);
         p.drawEllipse(QPointF(50, 34), 6, 6);
         p.drawRoundedRect(QRectF(44.5, 45, 11, 25), 3, 3);
         p.drawRoundedRect(QRectF(39, 66, 22, 6), 2, 2);
     }},
    // 15: load picture — a landscape picture with an arrow coming down.
    {15,
     [](QPainter& p, const Palette& c) {
         p.setPen(inkPen(c, 4));
         p.setBrush(c.paper);
         p.drawRect(QRectF(15, 24, 54, 46));
         p.setPen(Qt::NoPen);
         p.setBrush(c.accent);
         p.drawEllipse(QPointF(55, 36), 5, 5);
         p.setBrush(c.ink);
         p.drawPolygon(
             QPolygonF{QPointF(18, 67), QPointF(34, 42), QPointF(46, 58), QPointF(52, 51), QPointF(66, 67)});
         arrow(p, QPointF(76, 22), QPointF(76, 82), c.accent, 10);
     }},
    // 17: export — an arrow rising out of a tray.
    {17,
     [](QPainter& p, const Palette& c) {
         tray(p, c);
         arrow(p, QPointF(50, 70), QPointF(50, 16), c.accent, 11);
     }},
    // 19: save — a floppy disk.
    {19,
     [](QPainter& p, const Palette& c) {
         p.setPen(inkPen(c, 4));
         p.setBrush(c.ink);
         QPainterPath disk;
         disk.moveTo(18, 18);
         disk.lineTo(72, 18);
         disk.lineTo(82, 28);
         disk.lineTo(82, 82);
         disk.lineTo(18, 82);
         disk.closeSubpath();
         p.drawPath(disk);
         p.setPen(Qt::NoPen);
         p.setBrush(c.accent);
         p.drawRect(QRectF(30, 20, 36, 20));
         p.setBrush(c.ink);
         p.drawRect(QRectF(54, 24, 7, 12));
         p.setBrush(c.paper);
         p.drawRect(QRectF(28, 52, 44, 26));
         p.setPen(QPen(c.ink, 3, Qt::SolidLine, Qt::FlatCap));
         p.drawLine(QPointF(34, 61), QPointF(66, 61));
         p.drawLine(QPointF(34, 69), QPointF(66, 69));
     }},
    // 21: settings (and the driver set-up) — a gear.
    {21,
     [](QPainter& p, const Palette& c) {
         QPainterPath gear;
         const int teeth = 8;
         for (int i = 0; i < teeth; ++i) {
             QTransform t;
             t.translate(50, 50);
             t.rotate(360.0 * i / teeth);
             QPainterPath tooth;
             tooth.addRoundedRect(QRectF(-7.5, -35, 15, 20), 2.5, 2.5);
             gear.addPath(t.map(tooth));
         }
         QPainterPath ring;
         ring.addEllipse(QPointF(50, 50), 24, 24);
         gear = gear.united(ring);
         QPainterPath hole;
         hole.addEllipse(QPointF(50, 50), 10, 10);
         gear = gear.subtracted(hole);
         p.setPen(QPen(c.ink, 2));
         p.setBrush(c.ink);
         p.drawPath(gear);
         p.setPen(Qt::NoPen);
         p.setBrush(c.accent);
         QPainterPath inner;
         inner.addEllipse(QPointF(50, 50), 17, 17);
         p.drawPath(inner.subtracted(hole));
     }},
    // 23: edit — a pencil writing a line.
    {23,
     [](QPainter& p, const Palette& c) {
         p.save();
         p.translate(50, 48);
         p.rotate(-45);
         p.setPen(inkPen(c, 3.5));
         p.setBrush(c.accent);
         p.drawRect(QRectF(-24, -9, 40, 18));
         p.setBrush(c.ink);
         p.drawRoundedRect(QRectF(-34, -9, 11, 18), 3, 3);
         p.setBrush(QColor(0xF2, 0xC9, 0x8B));
         p.drawPolygon(QPolygonF{QPointF(16, -9), QPointF(34, 0), QPointF(16, 9)});
         p.setPen(Qt::NoPen);
         p.setBrush(c.ink);
         p.drawPolygon(QPolygonF{QPointF(27, -3.5), QPointF(34, 0), QPointF(27, 3.5)});
         p.restore();
         p.setPen(QPen(c.ink, 4, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(22, 84), QPointF(58, 84));
     }},
    // 25: delete — a rubbish bin.
    {25,
     [](QPainter& p, const Palette& c) {
         p.setPen(inkPen(c, 4));
         p.setBrush(c.paper);
         p.drawPolygon(QPolygonF{QPointF(28, 32), QPointF(72, 32), QPointF(67, 84), QPointF(33, 84)});
         p.setPen(QPen(c.ink, 4, Qt::SolidLine, Qt::RoundCap));
         for (qreal x : {41.0, 50.0, 59.0}) p.drawLine(QPointF(x, 42), QPointF(x - (x - 50) * 0.12, 76));
         p.setPen(Qt::NoPen);
         p.setBrush(c.cancel);
         p.drawRoundedRect(QRectF(20, 22, 60, 9), 3, 3);
         p.drawRoundedRect(QRectF(41, 15, 18, 9), 3, 3);
     }},
    // 27: send to print — the printer with a check mark.
    {27,
     [](QPainter& p, const Palette& c) {
         printer(p, c);
         badge(p, c, true);
     }},
    // 29: cancel the print — the printer with a cross.
    {29,
     [](QPainter& p, const Palette& c) {
         printer(p, c);
         badge(p, c, false);
     }},
    // 39: import — an arrow coming down into a tray.
    {39,
     [](QPainter& p, const Palette& c) {
         tray(p, c);
         arrow(p, QPointF(50, 14), QPointF(50, 70), c.accent, 11);
     }},
};

QImage draw(const Palette& c, const Glyph& glyph, bool lit) {
    QImage image(kSize, kSize, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kUnit, kUnit);
    drawButton(p, c, lit);
    glyph(p, c);
    return image;
}

bool write(const QImage& image, const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(100);
    if (writer.write(image)) return true;
    std::fprintf(stderr, "skin_pictures: cannot write %s: %s\n", qPrintable(path),
                 qPrintable(writer.errorString()));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Drawing needs no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_pictures <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int skin = 1; skin <= 4; ++skin) {
        const QString folder = QStringLiteral("Skin%1").arg(skin);
        if (!out.mkpath(folder)) {
            std::fprintf(stderr, "skin_pictures: cannot create %s\n", qPrintable(out.filePath(folder)));
            return 1;
        }
        const Palette& c = kPalettes[skin - 1];
        for (const auto& [number, glyph] : kGlyphs) {
            for (bool lit : {false, true}) {
                const QString path =
                    out.filePath(QStringLiteral("%1/%2.jpg").arg(folder).arg(number + (lit ? 1 : 0)));
                if (!write(draw(c, glyph, lit), path)) return 1;
            }
        }
    }
    return 0;
}
