// The window's background: bands, border, the three folder panels, the emblem; and the panel texture.
#include "ArtKit.h"
#include "Pictures.h"

#include "ui/MainLayout.h"

#include <QPainter>
#include <QRegion>

#include <cmath>

namespace skinpaint {
namespace {

namespace layout = murmex::ui::layout;

// Rows and columns of the skin's parts, in window pixels, inclusive.
constexpr int kTitleBottom = 33;
constexpr int kStripTop = 37, kStripBottom = 48;
constexpr int kBandTop = 56, kBandBottom = 85;
constexpr int kStatusTop = 573;
constexpr int kBorder = 14;

struct Folder {
    QRect outer;   // the whole panel, tab included
    int tabRight;  // last column of the tab
    int tabBottom; // first row of the body
};
constexpr Folder kFolders[] = {
    {QRect(QPoint(24, 95), QPoint(421, 482)), 143, 115},
    {QRect(QPoint(498, 95), QPoint(775, 302)), 617, 115},
    {QRect(QPoint(498, 317), QPoint(775, 482)), 617, 337},
};
constexpr QPointF kEmblemCentre{232, 309};
constexpr double kEmblemRadius = 25;

// A light band with the one light: a lighter top row, a darker bottom row.
void LightBand(QPainter& p, int left, int top, int right, int bottom) {
    const QRect r(QPoint(left, top), QPoint(right, bottom));
    p.fillRect(r, VerticalGradient(r, Brighter(ink::band, 0.04), Brighter(ink::band, -0.05)));
    p.fillRect(QRect(left, top, r.width(), 1), ink::bandTop);
    p.fillRect(QRect(left, bottom, r.width(), 1), ink::bandBottom);
}

void Bands(QPainter& p) {
    LightBand(p, 1, 1, 800, kTitleBottom);
    // The program's name stands on a blue plate let into the title band, where its yellow reads well.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    Recessed(p, QRectF(3.5, 3.5, 121, 27), 5, Brighter(ink::window, -0.03), QColor(0x1E, 0x4C, 0x85));
    p.restore();
    // The title band casts a short shadow on the body below it.
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRect(1, kTitleBottom + 1 + i, 800, 1), QColor(0, 0, 0, 50 - 16 * i));
    // The dark strip is cut into the body: darker above, lit below.
    const QRect strip(QPoint(kBorder + 6, kStripTop), QPoint(800 - kBorder - 6, kStripBottom));
    p.fillRect(strip, ink::windowDark);
    p.fillRect(QRect(strip.left(), strip.top(), strip.width(), 1), QColor(0x1F, 0x47, 0x7E));
    p.fillRect(QRect(strip.left(), strip.bottom(), strip.width(), 1), Brighter(ink::window, 0.08));
    LightBand(p, 1, kBandTop, 800, kBandBottom);
    for (int i = 0; i < 2; ++i)
        p.fillRect(QRect(kBorder + 1, kBandBottom + 1 + i, 800 - 2 * kBorder, 1), QColor(0, 0, 0, 45 - 20 * i));
    LightBand(p, 1, kStatusTop, 800, 600);
    // A groove across the status band, where a status line would sit.
    p.fillRect(QRect(kBorder + 6, 586, 800 - 2 * kBorder - 12, 1), ink::bandBottom);
    p.fillRect(QRect(kBorder + 6, 587, 800 - 2 * kBorder - 12, 1), ink::bandTop);
}

// The light border at the left and right of the body, lit from the left.
void Borders(QPainter& p) {
    for (const int left : {1, 800 - kBorder + 1}) {
        const QRect r(left, kTitleBottom + 1, kBorder, kStatusTop - kTitleBottom - 1);
        p.fillRect(r, ink::band);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height()), ink::bandTop);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), ink::bandBottom);
    }
}

QPainterPath FolderShape(const Folder& f) {
    const double left = f.outer.left() + 0.5;
    QPainterPath body;
    body.addRoundedRect(QRectF(left, f.tabBottom + 0.5, f.outer.width() - 1, f.outer.bottom() - f.tabBottom), 6, 6);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(left, f.outer.top() + 0.5, f.tabRight - f.outer.left(), f.tabBottom - f.outer.top() + 8),
                       6, 6);
    return body.united(tab).simplified();
}

void Panels(QPainter& p) {
    for (const Folder& f : kFolders) {
        const QPainterPath shape = FolderShape(f);
        DropShadow(p, shape, {2, 2}, 2);
        p.fillPath(shape, ink::panel);
        // A faint lit edge inside the outline along the top and left.
        p.save();
        p.setClipPath(shape);
        QLinearGradient lit(f.outer.topLeft(), f.outer.bottomRight());
        lit.setColorAt(0, QColor(255, 255, 255, 50));
        lit.setColorAt(0.3, QColor(255, 255, 255, 0));
        p.strokePath(shape.translated(1, 1), QPen(QBrush(lit), 1.0));
        p.restore();
        p.strokePath(shape, QPen(ink::panelEdge, 1.0));
    }
}

// Faint ripples spreading from the emblem, under the ring of noise selectors.
void Ripples(QPainter& p) {
    p.save();
    p.setBrush(Qt::NoBrush);
    const double radii[] = {36, 49, 62};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 26 - 7 * i), 1.6));
        p.drawEllipse(kEmblemCentre, radii[i], radii[i]);
    }
    p.restore();
}

void Outside(QImage& skin) {
    QRegion region;
    for (const auto& r : layout::WindowRegion())
        region += QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    const QColor outline = ink::panelEdge;
    for (int y = 0; y < skin.height(); ++y) {
        for (int x = 0; x < skin.width(); ++x) {
            if (!region.contains(QPoint(x, y))) {
                skin.setPixelColor(x, y, ink::outside);
                continue;
            }
            const bool edge = !region.contains(QPoint(x - 1, y)) || !region.contains(QPoint(x + 1, y)) ||
                              !region.contains(QPoint(x, y - 1)) || !region.contains(QPoint(x, y + 1));
            if (edge)
                skin.setPixelColor(x, y, outline);
        }
    }
}

} // namespace

void PaintEmblem(QPainter& p, QPointF centre, double radius) {
    p.save();
    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    DropShadow(p, disc, {radius / 16, radius / 16}, std::max(1, int(radius / 12)));
    QRadialGradient body(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    body.setColorAt(0, Brighter(ink::yellowTop, 0.08));
    body.setColorAt(0.55, ink::yellowTop);
    body.setColorAt(1, ink::yellowBottom);
    p.fillPath(disc, body);
    const double stroke = std::max(1.0, radius / 12.5);
    p.strokePath(disc, QPen(ink::yellowOutline, stroke));
    // A calm wave across the middle, two swells long.
    QPainterPath wave;
    const double half = radius * 0.72, swell = radius * 0.3;
    wave.moveTo(centre.x() - half, centre.y());
    for (int i = 0; i < 4; ++i) {
        const double x0 = centre.x() - half + i * half / 2;
        const double dy = (i % 2 == 0) ? -swell : swell;
        wave.quadTo(QPointF(x0 + half / 4, centre.y() + 2 * dy), QPointF(x0 + half / 2, centre.y()));
    }
    p.strokePath(wave, QPen(ink::yellowInk, std::max(1.4, radius * 0.15), Qt::SolidLine, Qt::RoundCap));
    p.restore();
}

QImage PaintSkin() {
    QImage skin = NewPicture(layout::kSkinSize, ink::window);
    {
        QPainter p(&skin);
        Bands(p);
        Borders(p);
        Prepare(p);
        Panels(p);
        Ripples(p);
        PaintEmblem(p, kEmblemCentre, kEmblemRadius);
    }
    Outside(skin);
    return skin;
}

QImage PaintTexture() {
    QImage texture = NewPicture({125, 24}, ink::band);
    // A brushed light plate: a soft vertical fall of light, each row slightly different in tone, the same
    // across a row so that small pictures over it look alike wherever they stand.
    for (int y = 0; y < texture.height(); ++y) {
        const double fall = double(y) / (texture.height() - 1);
        const int grain = ((y * 7919) % 5) - 2;
        QColor row = Brighter(ink::band, 0.06 - 0.11 * fall + grain * 0.006);
        if (y == 0)
            row = QColor(0xF2, 0xF7, 0xFD);
        else if (y >= 21)
            row = ink::bandBottom;
        for (int x = 0; x < texture.width(); ++x)
            texture.setPixelColor(x, y, row);
    }
    return texture;
}

QImage PaintGround(const QImage& skin, const QImage& texture, const QImage& strip) {
    QImage ground = skin.convertToFormat(QImage::Format_RGB32);
    QPainter p(&ground);
    for (const auto& control : layout::Controls()) {
        if (control.kind == layout::Kind::TexturePanel) {
            const QRect r = layout::WindowRect(control);
            p.setBrushOrigin(r.topLeft());
            p.fillRect(r, QBrush(texture));
        }
    }
    p.drawImage(layout::WindowRect(layout::Control("Img_Yellow_Fon1")).topLeft(), strip);
    return ground;
}

} // namespace skinpaint
