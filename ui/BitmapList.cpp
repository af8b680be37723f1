#include "ui/BitmapList.h"

#include "ui/SkinAssets.h"

#include <QPainter>

namespace murmex::ui {

TLMDBitmapList TLMDBitmapList::FromResources(const layout::ListSpec& entry) {
    std::vector<QImage> items;
    items.reserve(std::size_t(entry.count));
    for (int n = 0; n < entry.count; ++n)
        items.push_back(SkinPicture(std::string(entry.resource) + std::to_string(n) + ".png"));
    return TLMDBitmapList(std::move(items));
}

const QImage& TLMDBitmapList::Item(int n) const {
    static const QImage none;
    return n >= 0 && n < Count() ? m_items[std::size_t(n)] : none;
}

void TLMDBitmapList::Draw(QPainter& canvas, int x, int y, int n, int unused) const {
    Q_UNUSED(unused);
    if (n < 0 || n >= Count())
        qFatal("TLMDBitmapList::Draw: item %d of a list of %d", n, Count());
    canvas.drawImage(x, y, m_items[std::size_t(n)]);
}

void TLMDBitmapList::Draw(QImage& canvas, int x, int y, int n, int unused) const {
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    Draw(painter, x, y, n, unused);
}

} // namespace murmex::ui
