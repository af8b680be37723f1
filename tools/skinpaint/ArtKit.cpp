#include "ArtKit.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace skinpaint {

QImage NewPicture(QSize size, const QColor& fill) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QImage Ground(const QImage& beneath, QRect at) {
    return beneath.copy(at).convertToFormat(QImage::Format_RGB32);
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
}

QColor Brighter(const QColor& colour, double amount) {
    const QColor hsl = colour.toHsl();
    const double lightness = std::clamp(hsl.lightnessF() + amount, 0.0, 1.0);
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).toRgb();
}

QBrush VerticalGradient(const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

void DropShadow(QPainter& p, const QPainterPath& shape, QPointF offset, int spread) {
    const QPainterPath shifted = shape.translated(offset);
    p.save();
    p.setBrush(Qt::NoBrush);
    for (int i = spread; i >= 1; --i) {
        p.setPen(QPen(QColor(0, 0, 0, 90 / (spread + 1)), 2.0 * i, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(shifted);
    }
    p.fillPath(shifted, QColor(0, 0, 0, 89));
    p.restore();
}

QRectF FaceRect(QRectF r, Face face) {
    return face == Face::Pressed ? r.translated(1, 1) : r;
}

namespace {

// Inner edges of the one light: lighter along the top and left, darker along the bottom and right.
void LightEdges(QPainter& p, const QRectF& f, double radius, int lightAlpha, int darkAlpha) {
    QLinearGradient light(f.topLeft(), f.bottomRight());
    light.setColorAt(0, QColor(255, 255, 255, lightAlpha));
    light.setColorAt(0.5, QColor(255, 255, 255, 0));
    light.setColorAt(1, QColor(0, 0, 0, darkAlpha));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(light), 1.0));
    p.drawRoundedRect(f.adjusted(1, 1, -1, -1), std::max(0.0, radius - 1), std::max(0.0, radius - 1));
}

} // namespace

void Raised(QPainter& p, QRectF r, const RaisedStyle& style, Face face) {
    const QRectF f = FaceRect(r, face);
    QPainterPath shape;
    shape.addRoundedRect(f, style.radius, style.radius);
    p.save();
    if (style.shadow && face != Face::Pressed)
        DropShadow(p, shape, {1, 1}, 1);
    const double lift = face == Face::Hovered ? 0.06 : 0.0;
    p.fillPath(shape, VerticalGradient(f, Brighter(style.top, lift), Brighter(style.bottom, lift)));
    if (face == Face::Pressed) {
        QLinearGradient shade(f.topLeft(), f.bottomLeft());
        shade.setColorAt(0, QColor(0, 0, 0, 70));
        shade.setColorAt(0.45, QColor(0, 0, 0, 0));
        p.fillPath(shape, shade);
    } else {
        LightEdges(p, f, style.radius, face == Face::Hovered ? 200 : 150, 45);
    }
    if (face == Face::Hovered) {
        p.setPen(QPen(QColor(ink::glow.red(), ink::glow.green(), ink::glow.blue(), 170), 2.4));
        p.drawRoundedRect(f, style.radius, style.radius);
    }
    p.setPen(QPen(face == Face::Hovered ? Brighter(style.outline, 0.05) : style.outline, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(f, style.radius, style.radius);
    p.restore();
}

void Recessed(QPainter& p, QRectF r, double radius, const QColor& fill, const QColor& edge) {
    p.save();
    QPainterPath shape;
    shape.addRoundedRect(r, radius, radius);
    p.fillPath(shape, fill);
    p.setClipPath(shape);
    QLinearGradient inner(r.topLeft(), r.bottomRight());
    inner.setColorAt(0, QColor(0, 0, 0, 110));
    inner.setColorAt(0.5, QColor(0, 0, 0, 0));
    inner.setColorAt(1, QColor(255, 255, 255, 70));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(inner), 2.0));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setClipping(false);
    p.setPen(QPen(edge, 1.0));
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

QFont Font(int pixelHeight, bool bold, bool condensed) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStretch(condensed ? QFont::SemiCondensed : QFont::Unstretched);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont FittedFont(const QStringList& words, int width, int largest, int smallest, bool bold) {
    const auto fits = [&](const QFont& font) {
        const QFontMetricsF metrics(font);
        return std::all_of(words.begin(), words.end(), [&](auto& w) { return metrics.horizontalAdvance(w) <= width; });
    };
    for (bool condensed : {false, true}) {
        for (int size = largest; size >= smallest; --size) {
            const QFont font = Font(size, bold, condensed);
            if (fits(font))
                return font;
        }
    }
    return Font(smallest, bold, true);
}

void Letter(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& colour,
            Qt::Alignment align) {
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    double x = box.left();
    if (align & Qt::AlignHCenter)
        x = box.center().x() - width / 2;
    else if (align & Qt::AlignRight)
        x = box.right() - width;
    // Capitals centred on the box: the eye reads the cap height as the text's middle.
    const double baseline = box.center().y() + metrics.capHeight() / 2;
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QPointF(std::round(x), std::round(baseline)), text);
    p.restore();
}

void ShadowedLetter(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& colour,
                    const QColor& shadow, Qt::Alignment align) {
    Letter(p, box.translated(1, 1), text, font, shadow, align);
    Letter(p, box, text, font, colour, align);
}

} // namespace skinpaint
