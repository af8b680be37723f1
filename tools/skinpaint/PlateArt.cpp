// The lettered pictures: noise name plates and panel headings (BitmapList_Btn), the tab strip and its page
// tabs (BitmapList_YellowMenu), and the LEFT, RIGHT and LEVEL words of the volume panel.
#include "ArtKit.h"
#include "Pictures.h"

#include "ui/MainLayout.h"

#include <QFontMetrics>
#include <QPainter>

namespace skinpaint {
namespace {

namespace layout = murmex::ui::layout;

const RaisedStyle kPlateYellow{ink::yellowTop, ink::yellowBottom, ink::yellowOutline, 5, true};
const RaisedStyle kLit{ink::litTop, ink::litBottom, QColor(0x4E, 0x22, 0x00), 5, true};

const QStringList kNoiseEnglish = {
    QStringLiteral("Summer Night"), QStringLiteral("Easy Going"), QStringLiteral("Energy Boost"),
    QStringLiteral("Rough Day"),    QStringLiteral("Morpheus"),   QStringLiteral("Waterfall"),
    QStringLiteral("Nirvana"),      QStringLiteral("Sea depth"),
};
const QStringList kNoiseRussian = {
    QStringLiteral("Летняя ночь"),  QStringLiteral("Беззаботный"), QStringLiteral("Бодрость"),
    QStringLiteral("Трудный день"), QStringLiteral("Морфей"),      QStringLiteral("Водопад"),
    QStringLiteral("Нирвана"),      QStringLiteral("Бездна"),
};

std::string ControlName(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

QImage Plate(const QImage& ground, int noise, const QString& name, const QFont& font) {
    QImage image = Ground(ground, layout::WindowRect(layout::Control(ControlName("Img_Noise_", noise))));
    QPainter p(&image);
    Prepare(p);
    const QRectF body(0.5, 0.5, image.width() - 2, image.height() - 2);
    Raised(p, body, kPlateYellow, Face::Normal);
    Letter(p, body.adjusted(0, 0, 0, 0.5), name, font, ink::yellowInk);
    return image;
}

// Headings stand on the folder tab of their panel, centred on the tab rather than on the picture.
QImage Heading(const QImage& ground, std::string_view control, const QString& word, const QFont& font) {
    const QRect at = layout::WindowRect(layout::Control(control));
    QImage image = Ground(ground, at);
    QPainter p(&image);
    Prepare(p);
    const QRectF tab(-8, -1, 120, 19);
    ShadowedLetter(p, tab, word, font, ink::text, QColor(0x08, 0x33, 0x5E));
    return image;
}

QImage Tab(const QImage& ground, int tab, const QString& caption, bool lit, const QFont& font) {
    const QRect control = layout::WindowRect(layout::Control(ControlName("Btn_Yellow_", tab)));
    QImage image = Ground(ground, QRect(control.topLeft(), QSize(82, 23)));
    QPainter p(&image);
    Prepare(p);
    const QRectF body(0.5, 0.5, image.width() - 2, image.height() - 2);
    Raised(p, body, lit ? kLit : kPlateYellow, Face::Normal);
    Letter(p, body.adjusted(0, 0, 0, 0.5), caption, font, lit ? ink::litInk : ink::yellowInk);
    return image;
}

// A word of the volume panel. LEVEL shares its baseline with the volume figure beside it.
QImage Word(const QImage& ground, std::string_view control, QSize size, const QString& word, bool besideFigure) {
    const QRect at(layout::WindowRect(layout::Control(control)).topLeft(), size);
    QImage image = Ground(ground, at);
    QPainter p(&image);
    Prepare(p);
    const QFont font = FittedFont({word}, size.width(), 10, 9);
    QRectF box(0, 0, size.width(), size.height());
    if (besideFigure) {
        const auto& figure = layout::Control("Lbl_Vol_L");
        const int baseline = figure.rect.top() + QFontMetrics(Font(figure.font.height, figure.font.bold)).ascent();
        box.moveTop(baseline - at.top() - size.height() / 2.0 - QFontMetricsF(font).capHeight() / 2);
    }
    Letter(p, box, word, font, ink::label, Qt::AlignLeft | Qt::AlignVCenter);
    return image;
}

} // namespace

std::map<int, QImage> PaintPlates(const QImage& ground) {
    std::map<int, QImage> items;
    const QFont plateFont = FittedFont(kNoiseEnglish + kNoiseRussian, 96, 12, 11);
    for (int n = 1; n <= 8; ++n) {
        items[33 + n] = Plate(ground, n, kNoiseRussian[n - 1], plateFont);
        items[41 + n] = Plate(ground, n, kNoiseEnglish[n - 1], plateFont);
    }
    struct HeadingWords {
        std::string_view control;
        QString russian, english;
    };
    const HeadingWords headings[] = {
        {"Img_Generator", QStringLiteral("Генератор"), QStringLiteral("Generator")},
        {"Img_Volume", QStringLiteral("Громкость"), QStringLiteral("Volume")},
        {"Img_Setting", QStringLiteral("Настройки"), QStringLiteral("Setting")},
    };
    QStringList all;
    for (const auto& h : headings)
        all << h.russian << h.english;
    const QFont headingFont = FittedFont(all, 88, 13, 12);
    for (int i = 0; i < 3; ++i) {
        items[60 + 2 * i] = Heading(ground, headings[i].control, headings[i].russian, headingFont);
        items[61 + 2 * i] = Heading(ground, headings[i].control, headings[i].english, headingFont);
    }
    return items;
}

QImage PaintStrip(const QImage& skin) {
    QImage image = Ground(skin, layout::WindowRect(layout::Control("Img_Yellow_Fon1")));
    QPainter p(&image);
    Prepare(p);
    RaisedStyle bar = kPlateYellow;
    bar.radius = 9;
    Raised(p, QRectF(0.5, 0.5, image.width() - 2, image.height() - 2), bar, Face::Normal);
    // The slot the tabs sit in: pressed a little into the bar.
    Recessed(p, QRectF(7.5, 3.5, image.width() - 16, 31), 6, QColor(0xEC, 0xAE, 0x00), QColor(0xB5, 0x80, 0x00));
    return image;
}

std::map<int, QImage> PaintTabs(const QImage& ground) {
    const QStringList english = {QStringLiteral("Interface"), QStringLiteral("Audio"), QStringLiteral("Other")};
    const QStringList russian = {QStringLiteral("Интерфейс"), QStringLiteral("Аудио"), QStringLiteral("Прочие")};
    const QFont font = FittedFont(english + russian, 68, 11, 11);
    std::map<int, QImage> items;
    for (int k = 0; k < 3; ++k) {
        items[1 + k] = Tab(ground, k + 1, english[k], false, font);
        items[4 + k] = Tab(ground, k + 1, russian[k], false, font);
        items[7 + k] = Tab(ground, k + 1, english[k], true, font);
        items[10 + k] = Tab(ground, k + 1, russian[k], true, font);
    }
    return items;
}

std::map<QString, QImage> PaintPanelWords(const QImage& ground) {
    return {
        {QStringLiteral("left"), Word(ground, "Img_Left", {30, 12}, QStringLiteral("LEFT"), false)},
        {QStringLiteral("right"), Word(ground, "Img_Right", {36, 12}, QStringLiteral("RIGHT"), false)},
        {QStringLiteral("level"), Word(ground, "Img_Level_L", {36, 12}, QStringLiteral("LEVEL"), true)},
    };
}

} // namespace skinpaint
