// The painter's kit shared by every picture of the skin: the palette, the light, raised and recessed shapes,
// shadows and lettering. Pictures are painted once at build time on one thread.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace skinpaint {

namespace ink {
inline const QColor window{0x36, 0x6A, 0xB3};
inline const QColor windowDark{0x2A, 0x57, 0x97};
inline const QColor panel{0x12, 0x5B, 0xA1};
inline const QColor panelEdge{0x10, 0x50, 0x8D};
inline const QColor band{0xC9, 0xDC, 0xEF};
inline const QColor bandTop{0xE6, 0xF0, 0xFA};
inline const QColor bandBottom{0x8F, 0xB0, 0xD3};
inline const QColor text{0xD7, 0xED, 0xFF};
inline const QColor label{0xC8, 0xE1, 0xBB};
inline const QColor field{0x00, 0x80, 0xC0};
inline const QColor fieldEdge{0x00, 0x56, 0x80};
inline const QColor yellowTop{0xFF, 0xE2, 0x7A};
inline const QColor yellowBottom{0xF5, 0xB8, 0x00};
inline const QColor yellowOutline{0x9A, 0x6A, 0x00};
inline const QColor yellowInk{0x3A, 0x2A, 0x00};
inline const QColor litTop{0xB8, 0x56, 0x0A};
inline const QColor litBottom{0x7A, 0x33, 0x00};
inline const QColor litInk{0xFF, 0xF2, 0xD0};
inline const QColor glow{0xFF, 0xB6, 0x32};
inline const QColor red{0xFF, 0x00, 0x00};
inline const QColor brownTop{0xB0, 0x65, 0x1A};
inline const QColor brownBottom{0x7A, 0x3F, 0x0A};
inline const QColor glyph{0x1B, 0x3A, 0x60};
inline const QColor outside{0xFF, 0x00, 0xFF};
} // namespace ink

// The look of a pressable picture.
enum class Face { Normal, Hovered, Pressed };

// An opaque picture of the given size, filled with one colour.
QImage NewPicture(QSize size, const QColor& fill);
// An opaque picture that starts as a copy of what lies beneath it on the window.
QImage Ground(const QImage& beneath, QRect at);

// Antialiased painting, smooth pixmap transforms, hinted text.
void Prepare(QPainter& p);

// The colour with its HSL lightness raised by `amount` (0..1 of the full range).
QColor Brighter(const QColor& colour, double amount);

// A vertical two-colour gradient over the rectangle's height.
QBrush VerticalGradient(const QRectF& r, const QColor& top, const QColor& bottom);

// A soft shadow cast below-right by `shape`: `spread` pixels of 35 % black fading outwards.
void DropShadow(QPainter& p, const QPainterPath& shape, QPointF offset, int spread);

// A raised shape in the one light of the skin: fill, a lighter top-left inner edge, a darker bottom-right
// inner edge and the outline. Hovered pictures are brighter with a warm glow on the outline; pressed ones
// shift one pixel down-right and darken their top.
struct RaisedStyle {
    QColor top, bottom, outline;
    double radius = 4;
    bool shadow = true;
};
void Raised(QPainter& p, QRectF r, const RaisedStyle& style, Face face);
// The rectangle a raised shape of `r` takes for its face: pressed ones are shifted.
QRectF FaceRect(QRectF r, Face face);

// A recessed well: darker top-left inner edge, lighter bottom-right one.
void Recessed(QPainter& p, QRectF r, double radius, const QColor& fill, const QColor& edge);

// Lettering. Bold faces of DejaVu Sans and DejaVu Sans Condensed.
QFont Font(int pixelHeight, bool bold, bool condensed = false);
// One face for a whole set of words, so the pictures of a set agree: the largest size of DejaVu Sans from
// `largest` down to `smallest` at which every word fits `width` pixels, else the largest such size of the
// condensed face, else the smallest condensed one.
QFont FittedFont(const QStringList& words, int width, int largest, int smallest, bool bold = true);
// Text centred in `box` at whole-pixel positions, so it is never blurred.
void Letter(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& colour,
            Qt::Alignment align = Qt::AlignCenter);
// The same with a one-pixel shadow below-right.
void ShadowedLetter(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& colour,
                    const QColor& shadow, Qt::Alignment align = Qt::AlignCenter);

} // namespace skinpaint
