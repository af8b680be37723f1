// The small pictures of BitmapList_Btn: title-bar buttons, arrows, tick boxes and noise selectors.
#include "ArtKit.h"
#include "Pictures.h"

#include "ui/MainLayout.h"

#include <QPainter>

namespace skinpaint {
namespace {

namespace layout = murmex::ui::layout;

// Title-bar buttons and arrows are one set: pale raised keys with a dark glyph.
const RaisedStyle kKey{QColor(0xF6, 0xFA, 0xFE), QColor(0xBF, 0xD3, 0xEA), QColor(0x4F, 0x77, 0xA6), 4, true};

QImage GroundOf(const QImage& ground, std::string_view control) {
    return Ground(ground, layout::WindowRect(layout::Control(control)));
}

enum class TitleGlyph { Help, Internet, Minimise, Close };

void DrawTitleGlyph(QPainter& p, TitleGlyph glyph, const QRectF& face) {
    const QColor ink = ink::glyph;
    switch (glyph) {
    case TitleGlyph::Help:
        Letter(p, face, QStringLiteral("?"), Font(15, true), ink);
        break;
    case TitleGlyph::Internet:
        Letter(p, face, QStringLiteral("i"), Font(15, true), ink);
        break;
    case TitleGlyph::Minimise: {
        const QRectF bar(face.left() + 5.5, face.bottom() - 7, face.width() - 11, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(bar, 1, 1);
        break;
    }
    case TitleGlyph::Close: {
        const QPointF c = face.center();
        p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-3.8, -3.8), c + QPointF(3.8, 3.8));
        p.drawLine(c + QPointF(-3.8, 3.8), c + QPointF(3.8, -3.8));
        break;
    }
    }
}

QImage TitleButton(const QImage& ground, std::string_view control, TitleGlyph glyph, Face face) {
    QImage image = GroundOf(ground, control);
    QPainter p(&image);
    Prepare(p);
    const QRectF body(0.5, 0.5, image.width() - 2, image.height() - 2);
    Raised(p, body, kKey, face);
    DrawTitleGlyph(p, glyph, FaceRect(body, face));
    return image;
}

QImage Arrow(const QImage& ground, std::string_view control, bool up, Face face) {
    QImage image = GroundOf(ground, control);
    QPainter p(&image);
    Prepare(p);
    RaisedStyle style = kKey;
    style.radius = 2.5;
    style.shadow = false;
    const QRectF body(0.5, 0.5, image.width() - 1, image.height() - 1);
    Raised(p, body, style, face);
    const QPointF c = body.center();
    const double h = up ? -1 : 1;
    const QPointF triangle[] = {c + QPointF(0, 2.3 * h), c + QPointF(-3.8, -1.9 * h), c + QPointF(3.8, -1.9 * h)};
    p.setPen(Qt::NoPen);
    p.setBrush(ink::glyph);
    p.drawPolygon(triangle, 3);
    return image;
}

QImage TickBox(const QImage& ground, bool ticked) {
    QImage image = GroundOf(ground, "Cb_SPDIF");
    QPainter p(&image);
    Prepare(p);
    const QRectF box(1.5, 1.5, 15, 15);
    Recessed(p, box, 3, QColor(0xE4, 0xEF, 0xFA), QColor(0x0A, 0x38, 0x66));
    p.fillRect(QRectF(3, 3, 12, 6), QColor(255, 255, 255, 60));
    if (ticked) {
        QPainterPath tick;
        tick.moveTo(4.8, 9.0);
        tick.lineTo(7.7, 12.1);
        tick.lineTo(13.2, 5.0);
        p.strokePath(tick, QPen(QColor(0x6B, 0x48, 0x00), 4.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.strokePath(tick, QPen(QColor(0xFF, 0xCC, 0x2E), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.strokePath(tick.translated(-0.4, -0.5), QPen(QColor(255, 245, 190, 140), 0.8, Qt::SolidLine, Qt::RoundCap));
    }
    return image;
}

QImage Selector(const QImage& ground, bool selected) {
    QImage image = GroundOf(ground, "Cb_Noise_1");
    QPainter p(&image);
    Prepare(p);
    const QPointF c(11.5, 11.5);
    QPainterPath ring;
    ring.addEllipse(c, 10, 10);
    DropShadow(p, ring, {1, 1}, 1);
    QLinearGradient metal(c - QPointF(10, 10), c + QPointF(10, 10));
    metal.setColorAt(0, ink::bandTop);
    metal.setColorAt(1, ink::bandBottom);
    p.fillPath(ring, metal);
    p.strokePath(ring, QPen(QColor(0x0A, 0x38, 0x66), 1.0));
    // The hole, cut into the ring: shadowed at the top-left.
    QPainterPath hole;
    hole.addEllipse(c, 6.5, 6.5);
    QRadialGradient well(c + QPointF(1.2, 1.2), 7.5);
    well.setColorAt(0, QColor(0x16, 0x5E, 0xA3));
    well.setColorAt(1, QColor(0x08, 0x33, 0x5E));
    p.fillPath(hole, well);
    p.strokePath(hole, QPen(QColor(0x3E, 0x6A, 0x98), 1.0));
    if (selected) {
        QRadialGradient halo(c, 6.5);
        halo.setColorAt(0, QColor(255, 226, 122, 200));
        halo.setColorAt(1, QColor(255, 200, 40, 0));
        p.fillPath(hole, halo);
        QRadialGradient dot(c - QPointF(1.3, 1.3), 5);
        dot.setColorAt(0, QColor(0xFF, 0xF6, 0xC8));
        dot.setColorAt(0.5, ink::yellowTop);
        dot.setColorAt(1, ink::yellowBottom);
        p.setBrush(dot);
        p.setPen(QPen(ink::yellowOutline, 0.9));
        p.drawEllipse(c, 4.2, 4.2);
    }
    return image;
}

} // namespace

std::map<int, QImage> PaintButtons(const QImage& ground) {
    std::map<int, QImage> items;
    const std::pair<std::string_view, TitleGlyph> title[] = {
        {"Sb_Help", TitleGlyph::Help},
        {"Sb_Internet", TitleGlyph::Internet},
        {"Sb_Min", TitleGlyph::Minimise},
        {"Sb_Close", TitleGlyph::Close},
    };
    for (int i = 0; i < 4; ++i) {
        items[2 * i] = TitleButton(ground, title[i].first, title[i].second, Face::Hovered);
        items[2 * i + 1] = TitleButton(ground, title[i].first, title[i].second, Face::Normal);
    }
    items[8] = Arrow(ground, "Sb_Lang_Up", true, Face::Normal);
    items[9] = Arrow(ground, "Sb_Lang_Up", true, Face::Hovered);
    items[10] = Arrow(ground, "Sb_Lang_Down", false, Face::Normal);
    items[11] = Arrow(ground, "Sb_Lang_Down", false, Face::Hovered);
    items[12] = TickBox(ground, false);
    items[13] = TickBox(ground, true);
    items[30] = Selector(ground, false);
    items[31] = Selector(ground, true);
    return items;
}

} // namespace skinpaint
