// The volume panel: the hidden track bars that carry the output volume, the two sliders the user drags, the
// numbers below them and the level indicators beside them.
#include "app/Main.h"

#include "app/Hover.h"
#include "app/Sliders.h"
#include "ui/Accessible.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSignalBlocker>
#include <QSlider>

namespace murmex {

struct TfmMain::Slider {
    ui::TLMDLImage* image;
    QSlider* bar;
    ui::TLMDLabelFill* label;
    ui::TDirectPicture* picture;
    std::int32_t& value;
    bool& hover;
    bool& pressed;
};

TfmMain::Slider TfmMain::SliderL() {
    return {Img_1_L, tbVolLeft, Lbl_Vol_L, m_scaleLeft, Value_L, Slider_L_Hover, Slider_L_Pressed};
}

TfmMain::Slider TfmMain::SliderR() {
    return {Img_1_R, tbVolRight, Lbl_Vol_R, m_scaleRight, Value_R, Slider_R_Hover, Slider_R_Pressed};
}

void TfmMain::ConnectVolume() {
    for (QSlider* bar : {tbVolLeft, tbVolRight})
        connect(bar, &QSlider::valueChanged, this, [this] { RunAction([this] { tbVolLeftChange(); }); });
    HandleButton(Img_1_L, &ui::TLMDLImage::MouseDown, &TfmMain::Img_1_LMouseDown);
    HandleButton(Img_1_L, &ui::TLMDLImage::MouseUp, &TfmMain::Img_1_LMouseUp);
    HandleButton(Img_1_R, &ui::TLMDLImage::MouseDown, &TfmMain::Img_1_RMouseDown);
    HandleButton(Img_1_R, &ui::TLMDLImage::MouseUp, &TfmMain::Img_1_RMouseUp);
}

// Every change of either track bar writes both channels from the two current positions; during the auto-off's
// fade it ends the fade.
void TfmMain::tbVolLeftChange() {
    EndFadeForUser();
    audio::SetWaveOutVolume(audio::TrackBarToVolume(tbVolLeft->value(), tbVolLeft->minimum(), tbVolLeft->maximum()),
                            audio::TrackBarToVolume(tbVolRight->value(), tbVolRight->minimum(), tbVolRight->maximum()));
}

// Points the volume calls at the output of the coming start and lets the track bars follow that output's
// volume; the sliders and numbers keep showing the user's values. A volume that cannot be read leaves the
// track bars, and so the user's volumes, as they are.
void TfmMain::SyncDeviceVolume() {
    audio::SetVolumeDevice(DeviceMap[0].Id);
    Memo1->appendPlainText(QStringLiteral("FDeviceId = %1").arg(audio::FDeviceId()));
    Memo1->appendPlainText(QStringLiteral("start play"));
    std::uint16_t left = 0;
    std::uint16_t right = 0;
    if (audio::GetWaveOutVolume(left, right)) {
        tbVolLeft->setValue(audio::VolumeToTrackBar(left, tbVolLeft->minimum(), tbVolLeft->maximum()));
        tbVolRight->setValue(audio::VolumeToTrackBar(right, tbVolRight->minimum(), tbVolRight->maximum()));
    }
    Memo1->appendPlainText(QStringLiteral("finish play"));
}

void TfmMain::DrawSlider(const Slider& slider) {
    slider.picture->Draw(BitmapList_Scroll, ScalePicture(slider.value));
    ui::AccessibleValueChanged(slider.image, slider.value);
}

void TfmMain::DrawSliderLeft() {
    DrawSlider(SliderL());
}

void TfmMain::DrawSliderRight() {
    DrawSlider(SliderR());
}

void TfmMain::ShowVolume(const Slider& slider) {
    DrawSlider(slider);
    slider.label->setText(QString::number(slider.value));
}

// Both track bars take the user's values before the output hears of either: moved one after the other, each
// would write a volume with one channel new and the other old. True when either moved.
bool TfmMain::MoveTrackBars() {
    const int left = kVolumeMax - Value_L;
    const int right = kVolumeMax - Value_R;
    const bool moved = tbVolLeft->value() != left || tbVolRight->value() != right;
    const QSignalBlocker leftQuiet(tbVolLeft);
    const QSignalBlocker rightQuiet(tbVolRight);
    tbVolLeft->setValue(left);
    tbVolRight->setValue(right);
    return moved;
}

// The output volume follows the track bars, written once for both channels.
void TfmMain::ApplyStoredVolumes() {
    const bool moved = MoveTrackBars();
    ShowVolume(SliderL());
    ShowVolume(SliderR());
    if (moved)
        tbVolLeftChange();
}

void TfmMain::SetVolumes(std::int32_t left, std::int32_t right) {
    Value_L = left;
    Value_R = right;
    ApplyStoredVolumes();
}

// A volume set in the desktop's mixer is the output's already: the sliders show it, and their rounded values
// are not written back, which would move the mixer's own slider under the user's hand. Like a drag, it ends
// the auto-off's fade.
void TfmMain::ShowOutsideVolumes(std::int32_t left, std::int32_t right) {
    Value_L = left;
    Value_R = right;
    MoveTrackBars();
    ShowVolume(SliderL());
    ShowVolume(SliderR());
    EndFadeForUser();
}

void TfmMain::EndFadeForUser() {
    if (m_fading) {
        m_fading = false;
        m_fadeCancelled = true;
    }
}

// One tick of a slider: the hand over it, the value from the cursor's height while the left button is held
// on it, and its number.
void TfmMain::SliderStep(const Slider& slider, QPoint cursor) {
    slider.hover = Hovered(slider.image, cursor);
    const Qt::CursorShape shape = slider.hover ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (slider.image->cursor().shape() != shape)
        slider.image->setCursor(shape);
    if (!slider.hover)
        return;
    if (slider.pressed) {
        slider.value = SliderValue(cursor.y() - pos().y(), Vol_Base_Y);
        slider.bar->setValue(kVolumeMax - slider.value);
        DrawSlider(slider);
    }
    slider.label->setText(QString::number(slider.value));
}

void TfmMain::SliderSteps(QPoint cursor) {
    SliderStep(SliderL(), cursor);
    SliderStep(SliderR(), cursor);
}

void TfmMain::Img_1_LMouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        Slider_L_Pressed = true;
}

void TfmMain::Img_1_LMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        Slider_L_Pressed = false;
}

void TfmMain::Img_1_RMouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        Slider_R_Pressed = true;
}

void TfmMain::Img_1_RMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        Slider_R_Pressed = false;
}

// The indicators do not measure the sound: they show a level jittered around what the volumes give.
void TfmMain::Timer_IndicatorTimer() {
    QRandomGenerator& random = *QRandomGenerator::global();
    Left_Indicator->SetValue(IndicatorLevel(Value_L, int(random.bounded(kIndicatorJitter))));
    Right_Indicator->SetValue(IndicatorLevel(Value_R, int(random.bounded(kIndicatorJitter))));
}

bool TfmMain::Hovered(QWidget* control, QPoint cursor) const {
    QRect place(control->mapTo(this, QPoint(0, 0)), control->size());
    return CursorOver(cursor, pos(), place, WindowShown());
}

bool TfmMain::WindowShown() const {
    return isVisible() && !isMinimized() && !m_unexposed;
}

} // namespace murmex
