// The level indicator (TIgoIndicator): a column of ten lamps lit from the bottom up, seven green and three
// red, drawn from five built-in lamp pictures. The lamp choice and the lamp places are pure functions
// beside the widget. UI thread only.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>

namespace murmex::ui {

enum class LampPicture : std::uint8_t { GreenOff, GreenOn, RedOff, RedOn, Disabled };

inline constexpr int kLampCount = 10;
inline constexpr int kLampSize = 14;
inline constexpr std::int32_t kIndicatorMin = 0;
inline constexpr std::int32_t kIndicatorMax = 32767;

// The picture of each lamp, bottom (index 0) to top, for a stored value and the two switches.
std::array<LampPicture, kLampCount> IndicatorLamps(std::int32_t value, bool active, bool enabled);

// The top edge of lamp k (1 at the bottom to 10 at the top) in a control `height` pixels high.
constexpr int LampTop(int k, int height) {
    return height - kLampSize * k - 1;
}

constexpr std::int32_t ClampLevel(std::int32_t v) {
    return v < kIndicatorMin ? kIndicatorMin : v > kIndicatorMax ? kIndicatorMax : v;
}

class TIgoIndicator : public QWidget {
    Q_OBJECT
public:
    explicit TIgoIndicator(QWidget* parent = nullptr);

    std::int32_t Value() const { return m_value; }
    // Stores the value clamped to 0..32767 and repaints when it changed; nothing happens while the
    // control is inactive or disabled.
    void SetValue(std::int32_t v);

    bool Active() const { return m_active; }
    void SetActive(bool active);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int32_t m_value = 0;
    bool m_active = false;
    std::array<QImage, 5> m_lamps; // by LampPicture
};

} // namespace murmex::ui
