#include "ui/LImage.h"

#include "ui/Accessible.h"
#include "ui/BitmapList.h"

#include <QMouseEvent>
#include <QPainter>

namespace murmex::ui {

TLMDLImage::TLMDLImage(QWidget* parent) : QWidget(parent) {}

void TLMDLImage::SetImageList(const TLMDBitmapList* list) {
    if (list == m_list)
        return;
    m_list = list;
    update();
}

void TLMDLImage::SetListIndex(int v) {
    if (!ListIndexChanges(m_index, v))
        return;
    m_index = v;
    update();
    // A picture that shows a check or a selection has just changed it.
    AccessibleStateChanged(this);
}

void TLMDLImage::paintEvent(QPaintEvent*) {
    if (!m_list)
        return;
    const QImage& picture = m_list->Item(m_index);
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

void TLMDLImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_clickArmed = true;
    emit MouseDown(event->button());
}

void TLMDLImage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_clickArmed = false;
        emit DblClick();
    }
    emit MouseDown(event->button());
}

void TLMDLImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const bool click = m_clickArmed && rect().contains(event->position().toPoint());
        m_clickArmed = false;
        if (click)
            emit Click();
    }
    emit MouseUp(event->button());
}

} // namespace murmex::ui
