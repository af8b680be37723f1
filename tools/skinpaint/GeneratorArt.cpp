// The generator button's twelve faces (BitmapList_Btn 15 to 26) and the 26 volume scales
// (BitmapList_Scroll).
#include "ArtKit.h"
#include "Pictures.h"

#include "ui/MainLayout.h"

#include <QPainter>

namespace skinpaint {
namespace {

namespace layout = murmex::ui::layout;

const RaisedStyle kYellow{ink::yellowTop, ink::yellowBottom, ink::yellowOutline, 8, true};

// The point on the button's top edge echoes the generator lamp: blue while stopped, red while running.
void Point(QPainter& p, QPointF centre, bool running) {
    if (running) {
        QRadialGradient halo(centre, 6);
        halo.setColorAt(0, QColor(255, 60, 30, 150));
        halo.setColorAt(1, QColor(255, 60, 30, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(centre, 6, 6);
    }
    QRadialGradient body(centre - QPointF(1, 1), 3.6);
    body.setColorAt(0, running ? QColor(0xFF, 0xB0, 0x90) : QColor(0x8C, 0xD4, 0xFF));
    body.setColorAt(0.45, running ? ink::red : ink::field);
    body.setColorAt(1, running ? QColor(0xB0, 0x00, 0x00) : QColor(0x00, 0x60, 0x98));
    p.setBrush(body);
    p.setPen(QPen(running ? QColor(0x6A, 0x00, 0x00) : ink::fieldEdge, 0.9));
    p.drawEllipse(centre, 3.1, 3.1);
}

QImage GeneratorFace(const QImage& ground, const QString& caption, bool running, Face face) {
    QImage image = Ground(ground, layout::WindowRect(layout::Control("Sb_Generator")));
    QPainter p(&image);
    Prepare(p);
    const QRectF body(1.5, 1.5, image.width() - 5, image.height() - 5);
    Raised(p, body, kYellow, face);
    const QRectF f = FaceRect(body, face);
    Point(p, QPointF(f.center().x(), f.top() + 7.5), running);
    const QRectF captionBox(f.left(), f.top() + 12, f.width(), f.height() - 14);
    ShadowedLetter(p, captionBox, caption, Font(21, true), ink::yellowInk, QColor(255, 240, 180, 160));
    return image;
}

constexpr int kScaleSteps = 25;
constexpr double kKnobBottom = 121; // centre of the knob at step 0; each step lifts it 4 pixels
constexpr QRectF kTrack{7.5, 12.5, 6, 118};

void ScaleTicks(QPainter& p) {
    p.setPen(QPen(QColor(0x9D, 0xC0, 0xE4), 1.0));
    for (int v = 0; v <= 100; v += 20) {
        const double y = kKnobBottom - v + 0.5;
        p.drawLine(QPointF(1, y), QPointF(5, y));
        p.drawLine(QPointF(16, y), QPointF(20, y));
    }
    p.setPen(QPen(QColor(0x6F, 0x9A, 0xC8), 1.0));
    for (int v = 10; v < 100; v += 20) {
        const double y = kKnobBottom - v + 0.5;
        p.drawLine(QPointF(3, y), QPointF(5, y));
        p.drawLine(QPointF(16, y), QPointF(18, y));
    }
}

QImage Scale(const QImage& ground, int step) {
    QImage image = Ground(ground, layout::WindowRect(layout::Control("Img_1_L")));
    QPainter p(&image);
    Prepare(p);
    ScaleTicks(p);
    Recessed(p, kTrack, 3, QColor(0x0A, 0x36, 0x64), QColor(0x08, 0x2C, 0x52));
    const double knob = kKnobBottom - 4.0 * step;
    if (step > 0) {
        const QRectF filled(kTrack.left() + 1, knob, kTrack.width() - 2, kTrack.bottom() - 1 - knob);
        QLinearGradient brown(filled.topLeft(), filled.topRight());
        brown.setColorAt(0, ink::brownTop);
        brown.setColorAt(1, ink::brownBottom);
        p.setPen(Qt::NoPen);
        p.setBrush(brown);
        p.drawRoundedRect(filled, 2, 2);
    }
    RaisedStyle style = kYellow;
    style.radius = 2.5;
    const QRectF body(0.5, knob - 4.5, 19, 9);
    Raised(p, body, style, Face::Normal);
    // A groove across the knob for the finger.
    p.setPen(QPen(QColor(0x9A, 0x6A, 0x00, 200), 1.0));
    p.drawLine(QPointF(5, knob + 0.5), QPointF(15, knob + 0.5));
    p.setPen(QPen(QColor(255, 250, 220, 170), 1.0));
    p.drawLine(QPointF(5, knob + 1.5), QPointF(15, knob + 1.5));
    return image;
}

} // namespace

std::map<int, QImage> PaintGenerator(const QImage& ground) {
    std::map<int, QImage> items;
    struct Set {
        int first;
        QString caption;
        bool running;
    };
    const Set sets[] = {
        {15, QStringLiteral("Start"), false},
        {18, QStringLiteral("Stop"), true},
        {21, QStringLiteral("Старт"), false},
        {24, QStringLiteral("Стоп"), true},
    };
    for (const Set& set : sets) {
        items[set.first] = GeneratorFace(ground, set.caption, set.running, Face::Normal);
        items[set.first + 1] = GeneratorFace(ground, set.caption, set.running, Face::Hovered);
        items[set.first + 2] = GeneratorFace(ground, set.caption, set.running, Face::Pressed);
    }
    return items;
}

std::vector<QImage> PaintScales(const QImage& ground) {
    std::vector<QImage> items;
    for (int step = 0; step <= kScaleSteps; ++step)
        items.push_back(Scale(ground, step));
    return items;
}

} // namespace skinpaint
