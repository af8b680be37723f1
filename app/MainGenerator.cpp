// The generator: its start and stop, the button's pressed state, the noise choice and its lock, and the
// tray menu's start and stop items.
#include "app/Main.h"

#include "app/Generator.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QTimer>

namespace murmex {

void TfmMain::Sb_GeneratorClick() {
    if (Generator_On)
        StopGenerator();
    else
        StartGenerator();
}

// A start whose player cannot be created throws here, before anything shows the generator running.
void TfmMain::StartGenerator() {
    btPlayThreadClick();
    Generator_On = true;
    m_countedTo = m_services.steadyMs();
    if (m_services.playingChanged)
        m_services.playingChanged(true);
    m_playerErrorSeen = false;
    ShowGeneratorLamp();
    for (ui::TLMDLImage* control : NoiseControls())
        control->setCursor(NoiseCursor(true));
    PaceTimers();
}

void TfmMain::StopGenerator() {
    Generator_On = false;
    CancelFade();
    btStopThreadClick();
    ShowGeneratorLamp();
    Left_Indicator->SetValue(0);
    Right_Indicator->SetValue(0);
    UpdateNoiseMarks();
    if (m_services.playingChanged)
        m_services.playingChanged(false);
    PaceTimers();
}

void TfmMain::ShowGeneratorLamp() {
    Indicator_Generator->SetBrushColor(ui::FromWinColour(GeneratorLampColour(Generator_On)));
    ShowGeneratorHints();
}

void TfmMain::Sb_GeneratorMouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        Generator_Pressed = true;
}

void TfmMain::Sb_GeneratorMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        Generator_Pressed = false;
}

void TfmMain::Cb_NoiseClick(std::int32_t n) {
    const std::optional<std::int32_t> chosen = ChooseNoise(Generator_On, n);
    if (!chosen)
        return;
    Noise_Num = *chosen;
    UpdateNoiseMarks();
}

void TfmMain::UpdateNoiseMarks() {
    if (const auto marks = NoiseMarks(Noise_Num)) {
        const std::array<ui::TLMDLImage*, kNoiseCount> controls = NoiseMarkControls();
        for (std::size_t i = 0; i < controls.size(); ++i)
            controls[i]->SetListIndex((*marks)[i]);
    }
    for (ui::TLMDLImage* control : NoiseControls())
        control->setCursor(NoiseCursor(Generator_On));
}

void TfmMain::TrayMenu_1Click() {
    if (!Generator_On)
        Sb_GeneratorClick();
}

void TfmMain::TrayMenu_2Click() {
    if (Generator_On)
        Sb_GeneratorClick();
}

std::array<ui::TLMDLImage*, kNoiseCount> TfmMain::NoiseMarkControls() const {
    return {Cb_Noise_1, Cb_Noise_2, Cb_Noise_3, Cb_Noise_4, Cb_Noise_5, Cb_Noise_6, Cb_Noise_7, Cb_Noise_8};
}

// The names first, then the marks.
std::array<ui::TLMDLImage*, 2 * kNoiseCount> TfmMain::NoiseControls() const {
    return {Img_Noise_1, Img_Noise_2, Img_Noise_3, Img_Noise_4, Img_Noise_5, Img_Noise_6, Img_Noise_7, Img_Noise_8,
            Cb_Noise_1,  Cb_Noise_2,  Cb_Noise_3,  Cb_Noise_4,  Cb_Noise_5,  Cb_Noise_6,  Cb_Noise_7,  Cb_Noise_8};
}

} // namespace murmex
