// The level indicator's five lamps, the program icon and the tray menu's glyphs.
#include "ArtKit.h"
#include "Pictures.h"

#include <QPainter>

#include <functional>

namespace skinpaint {
namespace {

const QColor kLampGround{0xA0, 0xA0, 0x80};
const QColor kLampShadow{0x60, 0x60, 0x40};
constexpr QPointF kLampCentre{6.5, 6.5};
constexpr double kLampRadius = 5.4;

struct LampLook {
    QColor body;
    QColor highlight; // invalid: an unlit lamp, only a faint gleam
};

QImage Lamp(const LampLook& look) {
    QImage image = NewPicture({14, 14}, kLampGround);
    QPainter p(&image);
    Prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kLampShadow);
    p.drawEllipse(kLampCentre + QPointF(1, 1), kLampRadius + 0.3, kLampRadius + 0.3);
    QRadialGradient body(kLampCentre - QPointF(1.6, 1.6), kLampRadius * 1.5);
    if (look.highlight.isValid()) {
        body.setColorAt(0, look.highlight);
        body.setColorAt(0.35, look.body);
        body.setColorAt(1, look.body.darker(135));
    } else {
        body.setColorAt(0, look.body.lighter(150));
        body.setColorAt(0.4, look.body);
        body.setColorAt(1, look.body.darker(140));
    }
    p.setBrush(body);
    p.setPen(QPen(Qt::black, 1.1));
    p.drawEllipse(kLampCentre, kLampRadius, kLampRadius);
    return image;
}

QImage DisabledLamp() {
    QImage image = NewPicture({14, 14}, kLampGround);
    QPainter p(&image);
    Prepare(p);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 1.0));
    p.drawEllipse(kLampCentre + QPointF(0.8, 0.8), kLampRadius, kLampRadius);
    p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.0));
    p.drawEllipse(kLampCentre, kLampRadius, kLampRadius);
    return image;
}

// The emblem simplified for the smallest icons: one swell, heavier lines.
void SmallEmblem(QPainter& p, QPointF c, double r) {
    QPainterPath disc;
    disc.addEllipse(c, r, r);
    p.fillPath(disc, VerticalGradient(disc.boundingRect(), ink::yellowTop, ink::yellowBottom));
    p.strokePath(disc, QPen(ink::yellowOutline, 1.0));
    QPainterPath wave;
    wave.moveTo(c.x() - r * 0.62, c.y() + r * 0.1);
    wave.cubicTo(c + QPointF(-r * 0.2, -r * 0.75), c + QPointF(r * 0.2, r * 0.75), c + QPointF(r * 0.62, -r * 0.1));
    p.strokePath(wave, QPen(ink::yellowInk, std::max(1.3, r * 0.24), Qt::SolidLine, Qt::RoundCap));
}

// A glyph stroke that reads on the menu's whole gradient: dark edge, yellow line.
void GlyphStroke(QPainter& p, const QPainterPath& path, double width, bool fill) {
    p.strokePath(path, QPen(QColor(0x3A, 0x2A, 0x00, 220), width + 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (fill)
        p.fillPath(path, VerticalGradient(path.boundingRect(), ink::yellowTop, ink::yellowBottom));
    p.strokePath(path, QPen(ink::yellowTop, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

QImage Glyph(const std::function<void(QPainter&)>& draw) {
    QImage image(11, 11, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Prepare(p);
    draw(p);
    return image;
}

} // namespace

std::map<QString, QImage> PaintLamps() {
    return {
        {QStringLiteral("GOFFBUTTON"), Lamp({QColor(0x00, 0x60, 0x40), QColor()})},
        {QStringLiteral("GONBUTTON"), Lamp({QColor(0x00, 0xFF, 0x00), QColor(0xDC, 0xFF, 0xDC)})},
        {QStringLiteral("OFFBUTTON"), Lamp({QColor(0x60, 0x00, 0x00), QColor()})},
        {QStringLiteral("ONBUTTON"), Lamp({QColor(0xFF, 0x00, 0x00), QColor(0xFF, 0xF0, 0x40)})},
        {QStringLiteral("DISABLEBUTTON"), DisabledLamp()},
    };
}

QImage PaintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    Prepare(p);
    const double edge = std::max(1.0, size / 32.0);
    const QRectF square = QRectF(0, 0, size, size).adjusted(edge / 2, edge / 2, -edge / 2, -edge / 2);
    const double radius = size * 0.19;
    QPainterPath shape;
    shape.addRoundedRect(square, radius, radius);
    p.fillPath(shape, VerticalGradient(square, Brighter(ink::window, 0.08), Brighter(ink::window, -0.06)));
    p.strokePath(shape, QPen(ink::panelEdge, edge));
    const QPointF centre(size / 2.0, size / 2.0);
    if (size <= 24)
        SmallEmblem(p, centre, size * 0.34);
    else
        PaintEmblem(p, centre, size * 0.33);
    return image;
}

std::map<QString, QImage> PaintGlyphs() {
    std::map<QString, QImage> glyphs;
    glyphs[QStringLiteral("start")] = Glyph([](QPainter& p) {
        QPainterPath play;
        play.moveTo(2.5, 1.5);
        play.lineTo(9.5, 5.5);
        play.lineTo(2.5, 9.5);
        play.closeSubpath();
        GlyphStroke(p, play, 0.8, true);
    });
    glyphs[QStringLiteral("stop")] = Glyph([](QPainter& p) {
        QPainterPath square;
        square.addRoundedRect(QRectF(2, 2, 7, 7), 1, 1);
        GlyphStroke(p, square, 0.8, true);
    });
    glyphs[QStringLiteral("web")] = Glyph([](QPainter& p) {
        QPainterPath globe;
        globe.addEllipse(QPointF(5.5, 5.5), 4.3, 4.3);
        GlyphStroke(p, globe, 0.9, true);
        // Meridian and equator, thin and dark, as a globe is drawn at this size.
        p.setPen(QPen(QColor(0x3A, 0x2A, 0x00, 230), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(5.5, 5.5), 1.7, 4.3);
        p.drawLine(QPointF(1.4, 5.5), QPointF(9.6, 5.5));
    });
    glyphs[QStringLiteral("exit")] = Glyph([](QPainter& p) {
        QPainterPath cross;
        cross.moveTo(2.5, 2.5);
        cross.lineTo(8.5, 8.5);
        cross.moveTo(2.5, 8.5);
        cross.lineTo(8.5, 2.5);
        GlyphStroke(p, cross, 1.6, false);
    });
    return glyphs;
}

} // namespace skinpaint
