// The text table of the two languages and the pictures lettered in a language.
#include "i18n/Help.h"

#include <gtest/gtest.h>

#include <QString>

#include <climits>

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
    FillHelp(help, 1);
    const TfmHelp russian = help;
    for (std::int32_t other : {2, -1, INT_MIN, INT_MAX}) {
        FillHelp(help, other);
        for (const HelpText& text : HelpTexts())
            EXPECT_EQ(help.*text.slot, russian.*text.slot) << other << " " << text.english;
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

} // namespace
} // namespace murmex
