// Paints every picture of the skin and writes them as PNG files with a resource list for the build:
//
//   skinpaint OUTDIR            the pictures and OUTDIR/skin.qrc
//   skinpaint OUTDIR SHEET.png  also a sheet of all pictures, for looking at them side by side
//
// Runs at build time; single-threaded.
#include "ArtKit.h"
#include "Pictures.h"

#include "ui/MainLayout.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

namespace skinpaint {
namespace {

namespace layout = murmex::ui::layout;

class Writer {
public:
    explicit Writer(QString root) : m_root(std::move(root)) {}

    bool Put(const QString& path, const QImage& image) {
        const QString file = m_root + QLatin1Char('/') + path;
        QDir().mkpath(QFileInfo(file).path());
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "skinpaint: cannot write %s\n", qPrintable(file));
            return false;
        }
        m_files << path;
        m_sheet.emplace_back(path, image);
        return true;
    }

    bool PutList(const QString& folder, const std::map<int, QImage>& items) {
        for (const auto& [n, image] : items)
            if (!Put(folder + QString::number(n) + QStringLiteral(".png"), image))
                return false;
        return true;
    }

    bool WriteResourceList() const {
        QFile qrc(m_root + QStringLiteral("/skin.qrc"));
        if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            return false;
        QTextStream out(&qrc);
        out << "<RCC>\n<qresource prefix=\"/skin\">\n";
        for (const QString& file : m_files)
            out << "  <file>" << file << "</file>\n";
        out << "</qresource>\n</RCC>\n";
        return true;
    }

    // All pictures in rows on a neutral ground, each at its own size.
    QImage Sheet() const {
        constexpr int kWidth = 1700, kGap = 6;
        int x = kGap, y = kGap, rowHeight = 0;
        std::vector<QPoint> places;
        for (const auto& [path, image] : m_sheet) {
            if (x + image.width() + kGap > kWidth) {
                x = kGap;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            places.emplace_back(x, y);
            x += image.width() + kGap;
            rowHeight = std::max(rowHeight, image.height());
        }
        QImage sheet = NewPicture({kWidth, y + rowHeight + kGap}, QColor(0x80, 0x80, 0x80));
        QPainter p(&sheet);
        for (std::size_t i = 0; i < m_sheet.size(); ++i)
            p.drawImage(places[i], m_sheet[i].second);
        return sheet;
    }

private:
    QString m_root;
    QStringList m_files;
    std::vector<std::pair<QString, QImage>> m_sheet;
};

std::map<int, QImage> Numbered(const std::vector<QImage>& items) {
    std::map<int, QImage> numbered;
    for (std::size_t i = 0; i < items.size(); ++i)
        numbered[int(i)] = items[i];
    return numbered;
}

// The lettering must be DejaVu, Cyrillic included; a substitute face would change every lettered picture.
bool FontsPresent() {
    for (bool condensed : {false, true}) {
        const QFontInfo info(Font(12, true, condensed));
        const QString face = info.family() + QLatin1Char(' ') + info.styleName();
        if (!face.startsWith(QStringLiteral("DejaVu Sans")) ||
            condensed != face.contains(QStringLiteral("Condensed"))) {
            std::fprintf(stderr, "skinpaint: DejaVu Sans%s is not installed (found %s)\n",
                         condensed ? " Condensed" : "", qPrintable(face));
            return false;
        }
    }
    return true;
}

bool PaintAll(Writer& out) {
    const QImage skin = PaintSkin();
    const QImage texture = PaintTexture();
    const QImage strip = PaintStrip(skin);
    const QImage ground = PaintGround(skin, texture, strip);

    std::map<int, QImage> buttons = PaintButtons(ground);
    buttons.merge(PaintGenerator(ground));
    buttons.merge(PaintPlates(ground));
    std::map<int, QImage> tabs = PaintTabs(ground);
    tabs[0] = strip;

    bool ok = out.Put(QStringLiteral("skin.png"), skin) && out.Put(QStringLiteral("texture.png"), texture);
    ok = ok && out.PutList(QStringLiteral("btn/"), buttons);
    ok = ok && out.PutList(QStringLiteral("scroll/"), Numbered(PaintScales(ground)));
    ok = ok && out.PutList(QStringLiteral("yellowmenu/"), tabs);
    for (const auto& [name, image] : PaintPanelWords(ground))
        ok = ok && out.Put(name + QStringLiteral(".png"), image);
    for (const auto& [name, image] : PaintLamps())
        ok = ok && out.Put(QStringLiteral("lamps/") + name + QStringLiteral(".png"), image);
    for (int size : layout::kIconSizes)
        ok = ok && out.Put(QStringLiteral("icon/%1.png").arg(size), PaintIcon(size));
    for (const auto& [name, image] : PaintGlyphs())
        ok = ok && out.Put(QStringLiteral("glyph/") + name + QStringLiteral(".png"), image);
    return ok && out.WriteResourceList();
}

} // namespace
} // namespace skinpaint

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fputs("usage: skinpaint OUTDIR [SHEET.png]\n", stderr);
        return 2;
    }
    if (!skinpaint::FontsPresent())
        return 1;
    skinpaint::Writer out(args[1]);
    if (!skinpaint::PaintAll(out))
        return 1;
    if (args.size() == 3 && !out.Sheet().save(args[2]))
        return 1;
    return 0;
}
