#include "ui/IIndicator.h"

#include "ui/MainLayout.h"
#include "ui/SkinAssets.h"

#include <QPainter>

namespace murmex::ui {
namespace {

constexpr std::int32_t kLampStep = 3276;
constexpr std::int32_t kTopLampAbove = 30000;
constexpr int kGreenLamps = 7;

constexpr const char* kLampResources[] = {"GOFFBUTTON", "GONBUTTON", "OFFBUTTON", "ONBUTTON", "DISABLEBUTTON"};

} // namespace

std::array<LampPicture, kLampCount> IndicatorLamps(std::int32_t value, bool active, bool enabled) {
    std::array<LampPicture, kLampCount> lamps{};
    if (!enabled) {
        lamps.fill(LampPicture::Disabled);
        return lamps;
    }
    // The number of lamps the value reaches: value / 3276 rounded up.
    const std::int32_t reached = value / kLampStep + (value % kLampStep > 0 ? 1 : 0);
    for (int k = 1; k <= kLampCount; ++k) {
        const bool green = k <= kGreenLamps;
        bool lit = active && (k == 1 || reached >= k);
        if (k == kLampCount)
            lit = value > kTopLampAbove; // the top lamp answers to the value alone
        lamps[std::size_t(k - 1)] = green ? (lit ? LampPicture::GreenOn : LampPicture::GreenOff)
                                          : (lit ? LampPicture::RedOn : LampPicture::RedOff);
    }
    return lamps;
}

TIgoIndicator::TIgoIndicator(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A press on the lamps is no press on the window: it must not start a drag.
    setAttribute(Qt::WA_NoMousePropagation);
    resize(16, 142);
    for (std::size_t i = 0; i < m_lamps.size(); ++i)
        m_lamps[i] = SkinPicture(std::string(layout::kLampResourceFolder) + kLampResources[i] + ".png");
}

void TIgoIndicator::SetValue(std::int32_t v) {
    if (!m_active || !isEnabled())
        return;
    const std::int32_t clamped = ClampLevel(v);
    if (clamped == m_value)
        return;
    m_value = clamped;
    update();
}

void TIgoIndicator::SetActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    update();
}

void TIgoIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height();
    // The frame: shadow along the right and bottom, light along the left and top; end points not drawn.
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(w - 1, 0, w - 1, h - 2);
    p.drawLine(w - 1, h - 1, 1, h - 1);
    p.setPen(palette().color(QPalette::Midlight));
    p.drawLine(0, h - 1, 0, 1);
    p.drawLine(0, 0, w - 2, 0);
    const auto lamps = IndicatorLamps(m_value, m_active, isEnabled());
    for (int k = 1; k <= kLampCount; ++k)
        p.drawImage(1, LampTop(k, h), m_lamps[std::size_t(lamps[std::size_t(k - 1)])]);
}

// Presses on the indicator are its own: they do not reach the window to move it.
} // namespace murmex::ui
