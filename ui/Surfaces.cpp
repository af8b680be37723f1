#include "ui/Surfaces.h"

#include "ui/BitmapList.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace murmex::ui {

TLMDPanelFill::TLMDPanelFill(QImage texture, QWidget* parent) : QWidget(parent), m_texture(std::move(texture)) {
    setAttribute(Qt::WA_OpaquePaintEvent, !m_texture.isNull());
    setAttribute(Qt::WA_NoMousePropagation);
}

void TLMDPanelFill::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_texture.isNull() ? QBrush(palette().window()) : QBrush(m_texture));
}

TImage::TImage(QImage picture, QWidget* parent) : QWidget(parent), m_picture(std::move(picture)) {
    setAttribute(Qt::WA_NoMousePropagation);
}

void TImage::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, m_picture);
}

TShape::TShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TShape::SetBrushColor(const QColor& colour) {
    if (colour == m_brush)
        return;
    m_brush = colour;
    update();
}

void TShape::SetPenColor(const QColor& colour) {
    if (colour == m_pen)
        return;
    m_pen = colour;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_pen);
    p.fillRect(rect().adjusted(1, 1, -1, -1), m_brush);
}

TLMDLabelFill::TLMDLabelFill(QWidget* parent) : QWidget(parent) {}

void TLMDLabelFill::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    FitWidth();
    update();
}

void TLMDLabelFill::SetAutoSize(bool autoSize) {
    m_autoSize = autoSize;
    FitWidth();
}

void TLMDLabelFill::FitWidth() {
    if (m_autoSize)
        resize(fontMetrics().horizontalAdvance(m_text), height());
}

void TLMDLabelFill::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QPoint(0, fontMetrics().ascent()), m_text);
}

void TLMDLabelFill::mousePressEvent(QMouseEvent* event) {
    if (m_passPresses)
        event->ignore();
    else
        event->accept();
}

void TLMDLabelFill::mouseReleaseEvent(QMouseEvent* event) {
    if (m_passPresses) {
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void TLMDLabelFill::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        FitWidth();
    QWidget::changeEvent(event);
}

TSkinField::TSkinField(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ForbiddenCursor);
    setTextMargins(2, 0, 2, 0);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(0x00, 0x80, 0xC0));
    colours.setColor(QPalette::Text, QColor(0xD7, 0xED, 0xFF));
    colours.setColor(QPalette::Highlight, QColor(0x00, 0x56, 0x80));
    colours.setColor(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    setPalette(colours);
}

void TSkinField::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    // A soft lowered bevel: shade along the top and left, a little light along the bottom and right.
    QPainter p(this);
    const QRect r = rect();
    p.setPen(QColor(0x00, 0x4C, 0x78));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QColor(0x00, 0x66, 0x9C));
    p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
    p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
    p.setPen(QColor(0x40, 0xA4, 0xDA));
    p.drawLine(r.left() + 1, r.bottom(), r.right(), r.bottom());
    p.drawLine(r.right(), r.top() + 1, r.right(), r.bottom());
}

TDirectPicture::TDirectPicture(QImage& bitmap, QRect place, QWidget* form) : QWidget(form), m_bitmap(bitmap) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(place);
}

void TDirectPicture::Draw(const TLMDBitmapList& list, int n) {
    list.Draw(m_bitmap, 0, 0, n, n);
    m_drawn = true;
    m_shown = n;
    update();
}

void TDirectPicture::paintEvent(QPaintEvent*) {
    if (m_drawn)
        QPainter(this).drawImage(0, 0, m_bitmap);
}

} // namespace murmex::ui
