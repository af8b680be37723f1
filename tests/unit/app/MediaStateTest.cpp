// What the desktop's media controls show of the window, the rules of their commands, and which of the
// player's properties a change of state reports.
#include "app/MediaState.h"
#include "i18n/Help.h"
#include "platform/Mpris.h"

#include <gtest/gtest.h>

#include <QDBusObjectPath>

#include <climits>
#include <cmath>
#include <limits>

namespace murmex {
namespace {

using platform::ChangedPlayerProperties;
using platform::MediaView;

TEST(MediaStepTest, NextAndPreviousWrapAroundTheEightNoises) {
    EXPECT_EQ(SteppedNoise(1, 1), 2);
    EXPECT_EQ(SteppedNoise(7, 1), 8);
    EXPECT_EQ(SteppedNoise(8, 1), 1);
    EXPECT_EQ(SteppedNoise(2, -1), 1);
    EXPECT_EQ(SteppedNoise(1, -1), 8);
    for (std::int32_t n = 1; n <= 8; ++n)
        EXPECT_EQ(SteppedNoise(SteppedNoise(n, 1), -1), n) << n;
}

TEST(MediaStepTest, FromNoNoiseNextIsTheFirstAndPreviousTheLast) {
    for (const std::int32_t none : {0, 9, -1, INT_MAX, INT_MIN}) {
        EXPECT_EQ(SteppedNoise(none, 1), 1) << none;
        EXPECT_EQ(SteppedNoise(none, -1), 8) << none;
    }
}

TEST(MediaVolumeTest, TheLouderSliderIsTheVolume) {
    EXPECT_DOUBLE_EQ(MediaVolume(0, 0), 0.0);
    EXPECT_DOUBLE_EQ(MediaVolume(100, 100), 1.0);
    EXPECT_DOUBLE_EQ(MediaVolume(30, 80), 0.8);
    EXPECT_DOUBLE_EQ(MediaVolume(55, 0), 0.55);
    EXPECT_DOUBLE_EQ(MediaVolume(250, -40), 1.0) << "an edited store's values take the nearest end";
    EXPECT_DOUBLE_EQ(MediaVolume(-5, -40), 0.0);
}

TEST(MediaVolumeTest, ANewVolumeKeepsTheBalance) {
    EXPECT_EQ(SlidersForVolume(100, 50, 0.5), (SliderValues{50, 25}));
    EXPECT_EQ(SlidersForVolume(40, 80, 1.0), (SliderValues{50, 100}));
    EXPECT_EQ(SlidersForVolume(60, 60, 0.3), (SliderValues{30, 30}));
    EXPECT_EQ(SlidersForVolume(100, 0, 0.77), (SliderValues{77, 0}));
    EXPECT_EQ(SlidersForVolume(50, 100, 0.0), (SliderValues{0, 0}));
    EXPECT_EQ(SlidersForVolume(33, 100, 0.5), (SliderValues{17, 50})) << "16.5 rounds away from zero";
}

TEST(MediaVolumeTest, TwoSilentSlidersBothTakeTheVolume) {
    EXPECT_EQ(SlidersForVolume(0, 0, 0.5), (SliderValues{50, 50}));
    EXPECT_EQ(SlidersForVolume(0, 0, 0.0), (SliderValues{0, 0}));
}

TEST(MediaVolumeTest, VolumesOutsideTheRangeTakeTheNearestEnd) {
    EXPECT_EQ(SlidersForVolume(80, 40, 1.7), (SliderValues{100, 50}));
    EXPECT_EQ(SlidersForVolume(80, 40, -0.3), (SliderValues{0, 0}));
    EXPECT_EQ(SlidersForVolume(80, 40, std::numeric_limits<double>::quiet_NaN()), (SliderValues{0, 0}));
    EXPECT_EQ(SlidersForVolume(300, -20, 0.5), (SliderValues{50, 0})) << "stored values out of range";
}

TEST(MediaViewTest, ShowsTheGeneratorTheNoiseUnderItsNameAndTheVolume) {
    TfmHelp texts;
    FillHelp(texts, 0);
    MainState state;
    state.Noise_Num = 5;
    state.Value_L = 20;
    state.Value_R = 64;
    MediaView view = MediaViewOf(state, &texts);
    EXPECT_FALSE(view.playing);
    EXPECT_TRUE(view.canStep);
    EXPECT_EQ(view.trackId, QStringLiteral("/com/pellorquandrel/murmex/noise/5"));
    EXPECT_EQ(view.title, QStringLiteral("Morpheus"));
    EXPECT_DOUBLE_EQ(view.volume, 0.64);

    state.Generator_On = true;
    view = MediaViewOf(state, &texts);
    EXPECT_TRUE(view.playing);
    EXPECT_FALSE(view.canStep) << "the noise choice is locked while playing";

    FillHelp(texts, 1);
    state.Noise_Num = 1;
    EXPECT_EQ(MediaViewOf(state, &texts).title, QStringLiteral("Летняя ночь"));
    state.Noise_Num = 8;
    EXPECT_EQ(MediaViewOf(state, &texts).trackId, QStringLiteral("/com/pellorquandrel/murmex/noise/8"));
}

TEST(MediaViewTest, EveryNoiseHasItsOwnNameAndPath) {
    TfmHelp texts;
    FillHelp(texts, 0);
    QStringList names;
    QStringList paths;
    for (std::int32_t n = 1; n <= 8; ++n) {
        names << NoiseName(texts, n);
        paths << NoiseTrackId(n);
        EXPECT_TRUE(QDBusObjectPath(paths.last()).path() == paths.last()) << paths.last().toStdString();
    }
    names.removeDuplicates();
    paths.removeDuplicates();
    EXPECT_EQ(names.size(), 8);
    EXPECT_EQ(paths.size(), 8);
    EXPECT_FALSE(names.contains(QString()));
}

TEST(MediaViewTest, NoNoiseAndNoTextsShowNoTitle) {
    TfmHelp texts;
    FillHelp(texts, 0);
    MainState state;
    state.Noise_Num = 0;
    EXPECT_EQ(MediaViewOf(state, &texts).title, QString());
    EXPECT_EQ(MediaViewOf(state, &texts).trackId, QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    state.Noise_Num = 9;
    EXPECT_EQ(NoiseName(texts, 9), QString());
    state.Noise_Num = 3;
    EXPECT_EQ(MediaViewOf(state, nullptr).title, QString()) << "before the text holder exists";
}

MediaView Stopped() {
    MediaView view;
    view.canStep = true;
    view.trackId = QStringLiteral("/com/pellorquandrel/murmex/noise/2");
    view.title = QStringLiteral("Easy Going");
    view.volume = 0.5;
    return view;
}

TEST(MediaChangesTest, AnUnchangedViewReportsNothing) {
    EXPECT_TRUE(ChangedPlayerProperties(Stopped(), Stopped()).isEmpty());
}

TEST(MediaChangesTest, EachChangeReportsItsPropertiesWithTheirNewValues) {
    MediaView after = Stopped();
    after.playing = true;
    after.canStep = false;
    QVariantMap changed = ChangedPlayerProperties(Stopped(), after);
    EXPECT_EQ(changed.keys(), (QStringList{QStringLiteral("CanGoNext"), QStringLiteral("CanGoPrevious"),
                                           QStringLiteral("PlaybackStatus")}));
    EXPECT_EQ(changed.value(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    EXPECT_EQ(changed.value(QStringLiteral("CanGoNext")).toBool(), false);
    EXPECT_EQ(ChangedPlayerProperties(after, Stopped()).value(QStringLiteral("PlaybackStatus")).toString(),
              QStringLiteral("Stopped"));

    after = Stopped();
    after.volume = 0.25;
    changed = ChangedPlayerProperties(Stopped(), after);
    EXPECT_EQ(changed.keys(), QStringList{QStringLiteral("Volume")});
    EXPECT_DOUBLE_EQ(changed.value(QStringLiteral("Volume")).toDouble(), 0.25);
}

TEST(MediaChangesTest, ANewNoiseOrANewNameReportsTheMetadata) {
    MediaView after = Stopped();
    after.trackId = QStringLiteral("/com/pellorquandrel/murmex/noise/3");
    after.title = QStringLiteral("Energy Boost");
    QVariantMap changed = ChangedPlayerProperties(Stopped(), after);
    ASSERT_EQ(changed.keys(), QStringList{QStringLiteral("Metadata")});
    const QVariantMap metadata = changed.value(QStringLiteral("Metadata")).toMap();
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Energy Boost"));
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(), after.trackId)
        << "the track is named by an object path";

    after = Stopped();
    after.title = QStringLiteral("Беззаботный");
    EXPECT_EQ(ChangedPlayerProperties(Stopped(), after).keys(), QStringList{QStringLiteral("Metadata")})
        << "a change of language renames the noise";
}

TEST(MediaChangesTest, TheFullSetMatchesWhatAChangeFromNothingReports) {
    const QVariantMap all = platform::PlayerProperties(Stopped());
    MediaView from;
    from.playing = true;
    from.volume = 1.0;
    EXPECT_EQ(ChangedPlayerProperties(from, Stopped()), all);
}

} // namespace
} // namespace murmex
