#include "app/MediaState.h"

#include "app/Generator.h"
#include "app/Sliders.h"
#include "i18n/Help.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace murmex {

QString NoiseTrackId(std::int32_t noise) {
    if (noise < 1 || noise > kNoiseCount)
        return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    return QStringLiteral("/com/pellorquandrel/murmex/noise/%1").arg(noise);
}

QString NoiseName(const TfmHelp& texts, std::int32_t noise) {
    static constexpr std::array<QString TfmHelp::*, kNoiseCount> kNames = {
        &TfmHelp::Str_Noise_1, &TfmHelp::Str_Noise_2, &TfmHelp::Str_Noise_3, &TfmHelp::Str_Noise_4,
        &TfmHelp::Str_Noise_5, &TfmHelp::Str_Noise_6, &TfmHelp::Str_Noise_7, &TfmHelp::Str_Noise_8};
    if (noise < 1 || noise > kNoiseCount)
        return {};
    return texts.*kNames[std::size_t(noise - 1)];
}

platform::MediaView MediaViewOf(const MainState& state, const TfmHelp* texts) {
    platform::MediaView view;
    view.playing = state.Generator_On;
    view.canStep = ChooseNoise(state.Generator_On, 1).has_value();
    view.trackId = NoiseTrackId(state.Noise_Num);
    if (texts)
        view.title = NoiseName(*texts, state.Noise_Num);
    view.volume = MediaVolume(state.Value_L, state.Value_R);
    return view;
}

std::int32_t SteppedNoise(std::int32_t noise, int step) {
    if (noise < 1 || noise > kNoiseCount)
        return step > 0 ? 1 : kNoiseCount;
    return (noise - 1 + step % kNoiseCount + kNoiseCount) % kNoiseCount + 1;
}

double MediaVolume(std::int32_t valueL, std::int32_t valueR) {
    return double(std::max(ClampVolume(valueL), ClampVolume(valueR))) / kVolumeMax;
}

SliderValues SlidersForVolume(std::int32_t valueL, std::int32_t valueR, double volume) {
    const double share = std::isnan(volume) ? 0.0 : std::clamp(volume, 0.0, 1.0);
    const auto target = std::int32_t(std::lround(share * kVolumeMax));
    const std::int32_t left = ClampVolume(valueL);
    const std::int32_t right = ClampVolume(valueR);
    const std::int32_t louder = std::max(left, right);
    if (louder == 0)
        return {target, target};
    const auto scaled = [&](std::int32_t value) { return std::int32_t(std::lround(double(value) * target / louder)); };
    return {scaled(left), scaled(right)};
}

} // namespace murmex
