// The text table of the two languages, the pictures lettered in a language, and the auto-off's delay table
// with its wrapping selectors and countdown.
#include "app/AutoOff.h"
#include "i18n/Help.h"

#include <gtest/gtest.h>

#include <QString>

#include <climits>
#include <vector>

namespace murmex {
namespace {

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool HasCyrillic(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF)
            return true;
    return false;
}

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The holder is nothing but its slots, so a table as long as the holder, naming each slot once, names
// every slot.
TEST(TextTableTest, NamesEverySlotOnceWithATextInEachLanguage) {
    const std::span<const HelpText> texts = HelpTexts();
    EXPECT_EQ(texts.size() * sizeof(QString), sizeof(TfmHelp));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "entry " << i << " " << texts[i].english);
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            EXPECT_NE(texts[i].slot, texts[j].slot) << "entry " << j << " names the same slot";
        EXPECT_FALSE(texts[i].english.empty());
        EXPECT_FALSE(texts[i].russian.empty());
        EXPECT_TRUE(IsAscii(texts[i].english));
        // Valid UTF-8 in Cyrillic letters: a wrong encoding would show as replacement characters.
        const QString russian = Utf8(texts[i].russian);
        EXPECT_FALSE(russian.contains(QChar::ReplacementCharacter));
        EXPECT_TRUE(HasCyrillic(russian)) << texts[i].russian;
        EXPECT_NE(Utf8(texts[i].english), russian) << "every text of the table has a Russian of its own";
    }
}

TEST(TextTableTest, FillingPutsEachLanguageInEverySlotAndOtherLanguagesChangeNothing) {
    TfmHelp help;
    for (std::int32_t other : {2, -1, INT_MIN, INT_MAX}) {
        FillHelp(help, other);
        for (const HelpText& text : HelpTexts())
            EXPECT_TRUE((help.*text.slot).isEmpty()) << other << " " << text.english;
    }
    FillHelp(help, 0);
    for (const HelpText& text : HelpTexts())
        EXPECT_EQ(help.*text.slot, Utf8(text.english));
    FillHelp(help, 1);
    for (const HelpText& text : HelpTexts())
        EXPECT_EQ(help.*text.slot, Utf8(text.russian));
    for (std::int32_t other : {2, -1, INT_MIN, INT_MAX}) {
        FillHelp(help, other);
        for (const HelpText& text : HelpTexts())
            EXPECT_EQ(help.*text.slot, Utf8(text.russian)) << other << " " << text.english;
    }
    FillHelp(help, 0);
    EXPECT_EQ(help.Str_LangName, QStringLiteral("English"));
    EXPECT_EQ(help.Str_Off_Shutdown, QStringLiteral("Computer shutdown"));
    FillHelp(help, 1);
    EXPECT_EQ(help.Str_LangName, QStringLiteral("Русский"));
    EXPECT_EQ(help.Str_ShowSPDIF, QStringLiteral("Показывать SPDIF устройства"));
}

TEST(LanguagePicturesTest, EachLanguageHasItsOwnLetteringAndOtherLanguagesNone) {
    const std::optional<LanguagePictures> english = PicturesFor(0), russian = PicturesFor(1);
    ASSERT_TRUE(english && russian);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(english->noiseNames[i], 42 + int(i));
        EXPECT_EQ(russian->noiseNames[i], 34 + int(i));
    }
    EXPECT_EQ(english->generator, 61);
    EXPECT_EQ(russian->generator, 60);
    EXPECT_EQ(english->volume, 63);
    EXPECT_EQ(russian->volume, 62);
    EXPECT_EQ(english->setting, 65);
    EXPECT_EQ(russian->setting, 64);
    for (std::int32_t other : {2, -1, INT_MIN, INT_MAX})
        EXPECT_FALSE(PicturesFor(other)) << other;
}

TEST(LanguagePicturesTest, TheArrowsToggleAndLeaveAnUnknownLanguageForEnglish) {
    EXPECT_EQ(OtherLanguage(0), 1);
    EXPECT_EQ(OtherLanguage(1), 0);
    EXPECT_EQ(OtherLanguage(OtherLanguage(0)), 0);
    for (std::int32_t other : {2, -1, INT_MIN, INT_MAX})
        EXPECT_EQ(OtherLanguage(other), 0) << other;
}

// The delay shown is the number of minutes after which the action fires, ten a step up to 30 and five a
// step after that.
TEST(AutoOffTest, EveryDelayFiresAfterTheMinutesItShows) {
    ASSERT_EQ(kOffDelays.size(), 10u);
    EXPECT_EQ(kOffDelays[0].text, "--");
    EXPECT_EQ(kOffDelays[0].ticks, 0);
    int previous = 0;
    for (std::size_t i = 1; i < kOffDelays.size(); ++i) {
        const int minutes = Utf8(kOffDelays[i].text).toInt();
        EXPECT_EQ(minutes - previous, minutes <= 30 ? 10 : 5) << kOffDelays[i].text;
        EXPECT_EQ(kOffDelays[i].ticks, minutes * 600) << kOffDelays[i].text;
        previous = minutes;
    }
    EXPECT_EQ(previous, 60);
}

TEST(AutoOffTest, BothSelectorsWrapAround) {
    for (std::int32_t i = 0; i <= 9; ++i)
        EXPECT_EQ(WrapOffDelay(i), i);
    EXPECT_EQ(WrapOffDelay(10), 0);
    EXPECT_EQ(WrapOffDelay(12), 0);
    EXPECT_EQ(WrapOffDelay(INT_MAX), 0);
    EXPECT_EQ(WrapOffDelay(-1), 9);
    EXPECT_EQ(WrapOffDelay(INT_MIN), 9);
    EXPECT_EQ(WrapOffAction(0), kOffActionClose);
    EXPECT_EQ(WrapOffAction(1), kOffActionShutdown);
    EXPECT_EQ(WrapOffAction(2), kOffActionClose);
    EXPECT_EQ(WrapOffAction(INT_MAX), kOffActionClose);
    EXPECT_EQ(WrapOffAction(-1), kOffActionShutdown);
    EXPECT_EQ(WrapOffAction(INT_MIN), kOffActionShutdown);
}

TEST(AutoOffTest, TheCountdownFiresOnceExactlyAtItsDelay) {
    for (std::int32_t off1 = 1; off1 <= 9; ++off1) {
        SCOPED_TRACE(testing::Message() << "delay " << kOffDelays[std::size_t(off1)].text);
        std::int32_t count = 0;
        std::vector<std::int32_t> fired;
        for (int tick = 0; tick < kOffDelays[std::size_t(off1)].ticks + 50; ++tick) {
            const OffTick next = CountOffTick(count, off1);
            EXPECT_EQ(next.count, count + 1);
            if (next.fire)
                fired.push_back(next.count);
            count = next.count;
        }
        EXPECT_EQ(fired, std::vector<std::int32_t>{kOffDelays[std::size_t(off1)].ticks});
    }
    EXPECT_EQ(CountOffTick(5999, 0).count, 0) << "no delay resets the count";
    EXPECT_FALSE(CountOffTick(5999, 0).fire);
    EXPECT_FALSE(CountOffTick(5999, 12).fire) << "a delay the table lacks never fires";
    EXPECT_FALSE(CountOffTick(INT_MAX, 1).fire);
    EXPECT_EQ(CountOffTick(INT_MAX, 1).count, INT_MAX);
}

} // namespace
} // namespace murmex
