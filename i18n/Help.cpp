#include "i18n/Help.h"

namespace murmex {
namespace {

using H = TfmHelp;

constexpr HelpText kTexts[] = {
    {&H::Str_Minimize, "Minimize", "Минимизация"},
    {&H::Str_Hints, "Hints", "Подсказки"},
    {&H::Str_LangName, "English", "Русский"},
    {&H::Str_Settings, "Settings:", "Настройки:"},
    {&H::Str_Interface, "Interface:", "Интерфейс:"},
    {&H::Str_Title, "White noise generator", "Генератор белого шума"},
    {&H::Str_Noise_1, "Summer Night", "Летняя ночь"},
    {&H::Str_Noise_2, "Easy Going", "Беззаботный"},
    {&H::Str_Noise_3, "Energy Boost", "Бодрость"},
    {&H::Str_Noise_4, "Rough Day", "Трудный день"},
    {&H::Str_Noise_5, "Morpheus", "Морфей"},
    {&H::Str_Noise_6, "Waterfall", "Водопад"},
    {&H::Str_Noise_7, "Nirvana", "Нирвана"},
    {&H::Str_Noise_8, "Sea depth", "Бездна"},
    {&H::Str_Gen_Start, "Start Generator", "Запустить генератор"},
    {&H::Str_Gen_Stop, "Generator Shut Down", "Остановить генератор"},
    {&H::Str_Gen_Working, "Generator is Working", "Генератор работает"},
    {&H::Str_Gen_Stopped, "Generator is Shutting Down", "Генератор остановлен"},
    {&H::Str_Hint_Min_FormShow, "Auto minimize on startup", "Автоминимизация программы при запуске"},
    {&H::Str_Hint_HintShow, "Show hints", "Показывать всплывающие подсказки"},
    {&H::Str_Hint_Help, "Show a help file", "Показать файл помощи"},
    {&H::Str_Hint_Internet, "Go to our website", "Перейти на наш сайт"},
    {&H::Str_Hint_Min, "Minimize the program to Tray", "Свернуть программу в Tray"},
    {&H::Str_Hint_Close, "Exit", "Выйти из программы"},
    {&H::Str_AudioDevice, "Audio device:", "Аудио устройство:"},
    {&H::Str_DefaultOutput, "Default", "По умолчанию"},
    {&H::Str_ShowSPDIF, "Show SPDIF device", "Показывать SPDIF устройства"},
    {&H::Str_Hint_Off_1, "OFF after...", "Завершение работы через..."},
    {&H::Str_Off_Close, "Close Murmex", "Закрыть программу"},
    {&H::Str_Off_Shutdown, "Computer shutdown", "Выключить компьютер"},
    {&H::Str_Off_Suspend, "Suspend", "Спящий режим"},
    {&H::Str_Hint_Off_2, "Shutdown...", "По завершении работы..."},
    {&H::Str_Off_Title, "After:", "Через:"},
    {&H::Str_Volume_L, "Left volume", "Громкость слева"},
    {&H::Str_Volume_R, "Right volume", "Громкость справа"},
    {&H::Str_Page_1, "Interface", "Интерфейс"},
    {&H::Str_Page_2, "Audio", "Аудио"},
    {&H::Str_Page_3, "Other", "Прочие"},
    {&H::Str_Up, "up", "вверх"},
    {&H::Str_Down, "down", "вниз"},
};

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

std::span<const HelpText> HelpTexts() {
    return kTexts;
}

void FillHelp(TfmHelp& help, std::int32_t langNum) {
    if (langNum != 0 && langNum != 1)
        return;
    for (const HelpText& text : kTexts)
        help.*text.slot = FromUtf8(langNum == 0 ? text.english : text.russian);
}

} // namespace murmex
