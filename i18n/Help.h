// The text holder: one string per text of the interface, all in the current language. Created once at
// start-up after the main window, never shown; other code reads a slot at the moment it shows the text.
// The English and Russian texts, and the pictures whose lettering is in a language, are data here; the
// window applies them. The holder: UI thread only; the tables: any thread.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace murmex {

// The interface speaks English (0) or Russian (1); any other stored language is taken as English.
constexpr std::int32_t KnownLanguage(std::int32_t langNum) {
    return langNum == 1 ? 1 : 0;
}

struct TfmHelp {
    QString Str_Minimize;
    QString Str_Hints;
    QString Str_LangName;
    QString Str_Settings;
    QString Str_Interface;
    QString Str_Title;
    QString Str_Noise_1;
    QString Str_Noise_2;
    QString Str_Noise_3;
    QString Str_Noise_4;
    QString Str_Noise_5;
    QString Str_Noise_6;
    QString Str_Noise_7;
    QString Str_Noise_8;
    QString Str_Gen_Start;
    QString Str_Gen_Stop;
    QString Str_Gen_Working;
    QString Str_Gen_Stopped;
    QString Str_Hint_Min_FormShow;
    QString Str_Hint_HintShow;
    QString Str_Hint_Help;
    QString Str_Hint_Internet;
    QString Str_Hint_Min;
    QString Str_Hint_Close;
    QString Str_AudioDevice;
    QString Str_DefaultOutput;
    QString Str_ShowSPDIF;
    QString Str_Hint_Off_1;
    QString Str_Off_Close;
    QString Str_Off_Shutdown;
    QString Str_Off_Suspend;
    QString Str_Hint_Off_2;
    QString Str_Off_Title;
    // Short names for screen readers of the controls that show no text: the volume sliders, the settings
    // tabs and the arrows (each read after its field's label).
    QString Str_Volume_L;
    QString Str_Volume_R;
    QString Str_Page_1;
    QString Str_Page_2;
    QString Str_Page_3;
    QString Str_Up;
    QString Str_Down;
};

// The language the arrows switch to: with two languages each arrow simply toggles, and any other language
// gives way to English.
constexpr std::int32_t OtherLanguage(std::int32_t langNum) {
    return langNum == 0 ? 1 : 0;
}

// One slot of the holder with its text in each language (UTF-8).
struct HelpText {
    QString TfmHelp::*slot;
    std::string_view english;
    std::string_view russian;
};

// Every slot of the holder, once each, in the holder's order.
std::span<const HelpText> HelpTexts();

// Every slot receives its text in language `langNum` (0 English, 1 Russian); for any other language every
// slot stays as it is.
void FillHelp(TfmHelp& help, std::int32_t langNum);

// The pictures of BitmapList_Btn whose lettering is in the language: the eight noise names and the headings
// of the generator, volume and settings areas.
struct LanguagePictures {
    std::array<int, 8> noiseNames;
    int generator;
    int volume;
    int setting;

    bool operator==(const LanguagePictures&) const = default;
};

// The pictures of language `langNum`, or nothing for a language that has none (the pictures then stay).
constexpr std::optional<LanguagePictures> PicturesFor(std::int32_t langNum) {
    switch (langNum) {
    case 0:
        return LanguagePictures{{42, 43, 44, 45, 46, 47, 48, 49}, 61, 63, 65};
    case 1:
        return LanguagePictures{{34, 35, 36, 37, 38, 39, 40, 41}, 60, 62, 64};
    default:
        return std::nullopt;
    }
}

} // namespace murmex
