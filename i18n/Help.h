// The text holder: one string per text of the interface, all in the current language. Created once at
// start-up after the main window, never shown; other code reads a slot at the moment it shows the text.
// UI thread only.
#pragma once

#include <QString>

#include <cstdint>

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
    QString Str_ShowSPDIF;
    QString Str_Hint_Off_1;
    QString Str_Off_Close;
    QString Str_Off_Shutdown;
    QString Str_Hint_Off_2;
    QString Str_Off_Title;
};

} // namespace murmex
