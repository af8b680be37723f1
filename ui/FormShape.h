// The window shape (TLMDFormShape): gives the borderless window its outer size, cuts it to the outline
// of the window description, paints the skin as its background and runs the window's move loop. UI
// thread only.
#pragma once

#include "ui/MainLayout.h"
#include "ui/WindowDrag.h"

#include <QImage>
#include <QObject>
#include <QRegion>

#include <span>

class QWidget;

namespace murmex::ui {

// The region made of the outline's rectangles (right and bottom exclusive).
QRegion RegionOf(std::span<const layout::RegionRect> rects);

class TLMDFormShape : public QObject {
    Q_OBJECT
public:
    // Takes over the form's size, outline and background from now on.
    TLMDFormShape(QWidget* form, QImage mask);

    const QRegion& Region() const { return m_region; }
    const QImage& Mask() const { return m_mask; }

    // Moves the window with the mouse from a left press at `cursor` (screen coordinates): by the
    // platform's own move loop when it has one, else by following the mouse until the button is released.
    void StartMove(QPoint cursor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply();

    QWidget* m_form;
    QImage m_mask;
    QRegion m_region;
    WindowDrag m_drag;
};

} // namespace murmex::ui
