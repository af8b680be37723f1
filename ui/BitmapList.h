// A numbered list of pictures (TLMDBitmapList): the only way the window names a picture. Filled once when
// the window is created and never changed. UI thread only.
#pragma once

#include "ui/MainLayout.h"

#include <QImage>

#include <vector>

class QPainter;

namespace murmex::ui {

class TLMDBitmapList {
public:
    TLMDBitmapList() = default;
    explicit TLMDBitmapList(std::vector<QImage> items) : m_items(std::move(items)) {}

    // The list's items from the embedded pictures; an item with no picture is kept empty.
    static TLMDBitmapList FromResources(const layout::ListSpec& entry);

    int Count() const { return int(m_items.size()); }

    // Item n; a null image when n lies outside the list or the item is empty.
    const QImage& Item(int n) const;

    // Copies item n at its natural size with its top-left corner at (x, y), opaque. The second number is
    // ignored, as a bitmap list has no sub-pictures. Callers only ever name items that exist; any other
    // number is a programming error and ends the program.
    void Draw(QPainter& canvas, int x, int y, int n, int unused) const;
    void Draw(QImage& canvas, int x, int y, int n, int unused) const;

private:
    std::vector<QImage> m_items;
};

} // namespace murmex::ui
