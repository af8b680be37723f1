// Every picture of the skin, painted from code. The list pictures are painted over a copy of what lies
// beneath their control on the window (the ground), so their rounded and antialiased edges meet the skin
// without a seam. Painted once at build time on one thread.
#pragma once

#include <QImage>
#include <QPointF>
#include <QString>

#include <map>
#include <vector>

class QPainter;

namespace skinpaint {

// The lettering on pictures, in the two languages of the interface.
enum class Lang { English, Russian };

// The window's background, #FF00FF outside the window's outline.
QImage PaintSkin();
// The 125 x 24 tile of the texture panels.
QImage PaintTexture();
// What the window shows beneath its controls: the skin, the texture panels and the tab strip.
QImage PaintGround(const QImage& skin, const QImage& texture, const QImage& strip);

// Items of the picture lists by number; numbers that only hold a place are absent.
std::map<int, QImage> PaintButtons(const QImage& ground);   // title buttons, arrows, tick boxes, selectors
std::map<int, QImage> PaintGenerator(const QImage& ground); // the twelve generator faces
std::map<int, QImage> PaintPlates(const QImage& ground);    // noise name plates and panel headings
std::vector<QImage> PaintScales(const QImage& ground);      // the 26 volume scales
QImage PaintStrip(const QImage& skin);                      // item 0 of the tab strip list
std::map<int, QImage> PaintTabs(const QImage& ground);      // items 1 to 12 of the tab strip list

// The LEFT, RIGHT and LEVEL words of the volume panel, by name.
std::map<QString, QImage> PaintPanelWords(const QImage& ground);

// The five lamps of the level indicator, by resource name.
std::map<QString, QImage> PaintLamps();

// The program's icon at one size, and the 11 x 11 glyphs of the tray menu by name.
QImage PaintIcon(int size);
std::map<QString, QImage> PaintGlyphs();

// The emblem inside a circle of the given radius centred on `centre`; shared by the skin and the icon.
void PaintEmblem(QPainter& p, QPointF centre, double radius);

} // namespace skinpaint
