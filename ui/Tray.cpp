#include "ui/Tray.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolTip>

namespace murmex::ui {
namespace {

const QColor kMenuTop{0x02, 0x3D, 0x7D};
const QColor kMenuBottom{0x37, 0xBE, 0xFF};
const QColor kMenuText{0xD7, 0xED, 0xFF};
const QColor kMenuHeading{0xFF, 0xB6, 0x32};
const QColor kHintFill{0xFF, 0xFF, 0xCA};
const QColor kHintBorder{0x10, 0x50, 0x8D};
constexpr int kGlyphSize = 11;
constexpr int kGlyphGap = 5;
constexpr int kGradientSteps = 64;

QFont Lettering(int pixelHeight, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// Draws every hint of the application in the hint window's look while a TLMDShapeHint exists.
class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    static inline int owners = 0;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_PanelTipLabel || owners == 0) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->fillRect(option->rect, kHintFill);
        painter->setPen(kHintBorder);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
};

} // namespace

TLMDTrayIcon::TLMDTrayIcon(QObject* parent) : QObject(parent) {
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TLMDTrayIcon::OnActivated);
}

TLMDTrayIcon::~TLMDTrayIcon() {
    SetActive(false);
}

void TLMDTrayIcon::SetActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    m_icon.setVisible(active);
}

void TLMDTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        emit DblClick();
        break;
    case QSystemTrayIcon::Context:
        if (m_menu)
            m_menu->popup(QCursor::pos());
        break;
    default:
        break; // a single click, or the first press of a double click, does nothing
    }
}

TLMDPopupMenu::TLMDPopupMenu(const QString& heading, QWidget* parent) : QMenu(parent), m_heading(heading) {
    setFont(Lettering(12, true));
    setContentsMargins(0, kHeadingHeight, 0, 0);
}

void TLMDPopupMenu::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    for (int i = 0; i < kGradientSteps; ++i) {
        const int top = r.height() * i / kGradientSteps, bottom = r.height() * (i + 1) / kGradientSteps;
        p.fillRect(QRect(0, top, r.width(), bottom - top),
                   Mix(kMenuTop, kMenuBottom, double(i) / (kGradientSteps - 1)));
    }
    p.setFont(font());
    p.setPen(kMenuHeading);
    p.drawText(QRect(kGlyphGap, 0, r.width() - 2 * kGlyphGap, kHeadingHeight), Qt::AlignVCenter, m_heading);
    p.fillRect(QRect(kGlyphGap, kHeadingHeight - 2, r.width() - 2 * kGlyphGap, 1), QColor(255, 255, 255, 70));
    for (QAction* action : actions())
        PaintItem(p, action);
    p.setPen(QColor(0x10, 0x50, 0x8D));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

void TLMDPopupMenu::PaintItem(QPainter& p, QAction* action) {
    const QRect item = actionGeometry(action);
    if (!action->isVisible() || item.isEmpty())
        return;
    if (action->isSeparator()) {
        p.fillRect(QRect(item.left() + kGlyphGap, item.center().y(), item.width() - 2 * kGlyphGap, 1),
                   QColor(255, 255, 255, 70));
        return;
    }
    if (action == activeAction() && action->isEnabled()) {
        p.fillRect(item.adjusted(2, 0, -2, 0), QColor(255, 255, 255, 45));
        p.setPen(QColor(255, 255, 255, 110));
        p.drawRect(item.adjusted(2, 0, -3, -1));
    }
    const QPixmap glyph = action->icon().pixmap(kGlyphSize, kGlyphSize);
    const int left = item.left() + kGlyphGap + 2;
    p.drawPixmap(left, item.center().y() - kGlyphSize / 2, glyph);
    QColor text = kMenuText;
    if (!action->isEnabled())
        text.setAlpha(110);
    p.setPen(text);
    const QRect caption(left + kGlyphSize + kGlyphGap, item.top(), item.right() - left - kGlyphSize - kGlyphGap,
                        item.height());
    p.drawText(caption, Qt::AlignVCenter | Qt::AlignLeft, action->text());
}

TLMDShapeHint::TLMDShapeHint(QObject* parent) : QObject(parent) {
    if (!dynamic_cast<HintStyle*>(QApplication::style()))
        QApplication::setStyle(new HintStyle(QStyleFactory::create(QApplication::style()->name())));
    ++HintStyle::owners;
    QToolTip::setFont(Lettering(12, false));
    qApp->installEventFilter(this);
}

TLMDShapeHint::~TLMDShapeHint() {
    --HintStyle::owners;
}

void TLMDShapeHint::SetHintsShown(bool shown) {
    m_shown = shown;
    if (!shown)
        QToolTip::hideText();
}

bool TLMDShapeHint::eventFilter(QObject* watched, QEvent* event) {
    Q_UNUSED(watched);
    return event->type() == QEvent::ToolTip && !m_shown;
}

} // namespace murmex::ui
