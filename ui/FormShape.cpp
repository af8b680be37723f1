#include "ui/FormShape.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

namespace murmex::ui {

QRegion RegionOf(std::span<const layout::RegionRect> rects) {
    QRegion region;
    for (const auto& r : rects)
        region += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    return region;
}

TLMDFormShape::TLMDFormShape(QWidget* form, QImage mask)
    : QObject(form), m_form(form), m_mask(std::move(mask)), m_region(RegionOf(layout::WindowRegion())) {
    m_form->installEventFilter(this);
    Apply();
}

// The outer size is the mask's plus the shadow depth; nothing outside the outline is shown or clicked.
void TLMDFormShape::Apply() {
    m_form->setFixedSize(m_mask.size() + QSize(layout::kShadowDepth, layout::kShadowDepth));
    m_form->setMask(m_region);
}

void TLMDFormShape::StartMove(QPoint cursor) {
    if (m_form->windowHandle() && m_form->windowHandle()->startSystemMove())
        return;
    m_drag.Press(Qt::LeftButton, cursor, m_form->pos());
}

bool TLMDFormShape::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_form)
        return false;
    switch (event->type()) {
    case QEvent::Paint: {
        // The skin is the background; the window's own painting, if any, comes over it.
        QPainter painter(m_form);
        painter.drawImage(0, 0, m_mask);
        break;
    }
    case QEvent::Resize:
        Apply();
        m_form->update();
        break;
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (const auto topLeft = m_drag.Move(mouse->buttons(), mouse->globalPosition().toPoint()))
            m_form->move(*topLeft);
        break;
    }
    case QEvent::MouseButtonRelease:
        m_drag.Release(static_cast<QMouseEvent*>(event)->buttons());
        break;
    default:
        break;
    }
    return false;
}

} // namespace murmex::ui
