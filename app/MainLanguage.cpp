// The two languages of the window and the auto-off selectors: the texts, hints and lettered pictures of the
// current language, the language arrows, and the arrows of the auto-off delay and action.
#include "app/Main.h"

#include "app/AutoOff.h"
#include "app/SettingsPages.h"
#include "i18n/Help.h"
#include "platform/SoundBackend.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QAction>

#include <limits>

namespace murmex {
namespace {

// The title buttons, the options, the captions, the tray menu and the auto-off hints.
void ShowTexts(TfmMain& fm, const TfmHelp& t) {
    fm.Sb_Help->setToolTip(t.Str_Hint_Help);
    fm.Sb_Internet->setToolTip(t.Str_Hint_Internet);
    fm.Sb_Min->setToolTip(t.Str_Hint_Min);
    fm.Sb_Close->setToolTip(t.Str_Hint_Close);

    fm.Cb_Min_FormShow->setToolTip(t.Str_Hint_Min_FormShow);
    fm.Lbl_Min_FormShow->setText(t.Str_Minimize);
    fm.Lbl_Min_FormShow->setToolTip(t.Str_Hint_Min_FormShow);
    fm.Cb_HintShow->setToolTip(t.Str_Hint_HintShow);
    fm.Lbl_HintShow->setText(t.Str_Hints);
    fm.Lbl_HintShow->setToolTip(t.Str_Hint_HintShow);

    fm.Lbl_Title_1->setText(t.Str_Title);
    fm.Lbl_Title_2->setText(t.Str_Settings);
    fm.Lbl_Obj1->setText(t.Str_AudioDevice);
    fm.Lbl_SPDIF->setText(t.Str_ShowSPDIF);
    fm.Edit_Lang->setText(t.Str_LangName);
    fm.Lbl_Lang->setText(t.Str_Interface);

    const std::pair<QAction*, const QString*> items[] = {{fm.TrayMenu_1, &t.Str_Gen_Start},
                                                         {fm.TrayMenu_2, &t.Str_Gen_Stop},
                                                         {fm.TrayMenu_3, &t.Str_Hint_Internet},
                                                         {fm.TrayMenu_4, &t.Str_Hint_Close}};
    for (const auto& [item, text] : items) {
        item->setText(*text);
        item->setToolTip(*text);
    }

    // The action's own text is the action selector's to set.
    fm.Lbl_Off_Title->setText(t.Str_Off_Title);
    for (QWidget* control : std::initializer_list<QWidget*>{fm.Edit_Off_1, fm.Sb_Off_1_Up, fm.Sb_Off_1_Down})
        control->setToolTip(t.Str_Hint_Off_1);
    for (QWidget* control : std::initializer_list<QWidget*>{fm.Edit_Off_2, fm.Sb_Off_2_Up, fm.Sb_Off_2_Down})
        control->setToolTip(t.Str_Hint_Off_2);
}

void ShowGeneratorAndNoiseHints(TfmMain& fm, const TfmHelp& t) {
    fm.Sb_Generator->setToolTip(t.Str_Gen_Start);
    const std::pair<ui::TLMDLImage*, const QString*> names[] = {
        {fm.Img_Noise_1, &t.Str_Noise_1}, {fm.Img_Noise_2, &t.Str_Noise_2}, {fm.Img_Noise_3, &t.Str_Noise_3},
        {fm.Img_Noise_4, &t.Str_Noise_4}, {fm.Img_Noise_5, &t.Str_Noise_5}, {fm.Img_Noise_6, &t.Str_Noise_6},
        {fm.Img_Noise_7, &t.Str_Noise_7}, {fm.Img_Noise_8, &t.Str_Noise_8}};
    for (const auto& [name, text] : names)
        name->setToolTip(*text);
}

void ShowLanguagePictures(TfmMain& fm, const LanguagePictures& pictures) {
    ui::TLMDLImage* const names[] = {fm.Img_Noise_1, fm.Img_Noise_2, fm.Img_Noise_3, fm.Img_Noise_4,
                                     fm.Img_Noise_5, fm.Img_Noise_6, fm.Img_Noise_7, fm.Img_Noise_8};
    for (std::size_t i = 0; i < pictures.noiseNames.size(); ++i)
        names[i]->SetListIndex(pictures.noiseNames[i]);
    fm.Img_Generator->SetListIndex(pictures.generator);
    fm.Img_Volume->SetListIndex(pictures.volume);
    fm.Img_Setting->SetListIndex(pictures.setting);
}

// One arrow step; a selector taken from an edited store may stand at the end of the integers, and stays
// there rather than overflowing (wrapping brings it back into its table either way).
std::int32_t Step(std::int32_t value, std::int32_t by) {
    if (by > 0 && value == std::numeric_limits<std::int32_t>::max())
        return value;
    if (by < 0 && value == std::numeric_limits<std::int32_t>::min())
        return value;
    return value + by;
}

} // namespace

// Without a text holder (a window that is not part of the program) only the pictures change.
void TfmMain::ApplyLanguage() {
    if (fmHelp) {
        FillHelp(*fmHelp, Lang_Num);
        ShowTexts(*this, *fmHelp);
        ShowGeneratorAndNoiseHints(*this, *fmHelp);
        platform::Sound().SetDefaultLabel(fmHelp->Str_DefaultOutput.toStdString());
        ShowAccessibleNames(*fmHelp);
    }
    if (const std::optional<LanguagePictures> pictures = PicturesFor(Lang_Num))
        ShowLanguagePictures(*this, *pictures);
    ShowGeneratorHints();
}

void TfmMain::ShowGeneratorHints() {
    if (!fmHelp)
        return;
    Indicator_Generator->setToolTip(Generator_On ? fmHelp->Str_Gen_Working : fmHelp->Str_Gen_Stopped);
    // A screen reader names the button by its hint: what a press does.
    const QString& hint = Generator_On ? fmHelp->Str_Gen_Stop : fmHelp->Str_Gen_Start;
    Sb_Generator->setToolTip(hint);
    Sb_Generator->setAccessibleName(hint);
}

// Both arrows toggle between the two languages. The page shown stays; the generator face and the tabs take
// the new language on the next tick of the work timer.
void TfmMain::Sb_Lang_UpClick() {
    Lang_Num = OtherLanguage(Lang_Num);
    ApplyLanguage();
    ShowOffDelay();
    ShowOffAction();
}

void TfmMain::Sb_Lang_DownClick() {
    Sb_Lang_UpClick();
}

void TfmMain::ShowOffDelay() {
    Off_1 = WrapOffDelay(Off_1);
    const std::string_view text = kOffDelays[std::size_t(Off_1)].text;
    Edit_Off_1->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
    const std::optional<PageControls> shown = PageVisibility(Page_Num, Off_1);
    Panel_Off_2->setVisible(shown && shown->offAction);
}

void TfmMain::ShowOffAction() {
    Off_2 = WrapOffAction(Off_2);
    // In the order of the action's values.
    static constexpr QString TfmHelp::*kTexts[] = {&TfmHelp::Str_Off_Close, &TfmHelp::Str_Off_Shutdown,
                                                   &TfmHelp::Str_Off_Suspend};
    if (fmHelp)
        Edit_Off_2->setText(fmHelp->*kTexts[Off_2]);
}

void TfmMain::ChooseOffDelay(std::int32_t off1) {
    CancelFade();
    Off_1 = off1;
    ShowOffDelay();
}

void TfmMain::ChooseOffAction(std::int32_t off2) {
    Off_2 = off2;
    ShowOffAction();
}

void TfmMain::Sb_Off_1_UpClick() {
    ChooseOffDelay(Step(Off_1, 1));
}

void TfmMain::Sb_Off_1_DownClick() {
    ChooseOffDelay(Step(Off_1, -1));
}

void TfmMain::Sb_Off_2_UpClick() {
    ChooseOffAction(Step(Off_2, 1));
}

void TfmMain::Sb_Off_2_DownClick() {
    ChooseOffAction(Step(Off_2, -1));
}

// The language arrows answer clicks only, so a quick pair toggles once; the auto-off arrows count both
// clicks of a quick pair, a step each.
void TfmMain::ConnectLanguageAndOff() {
    using ui::TLMDLImage;
    Handle(Sb_Lang_Up, &TLMDLImage::Click, &TfmMain::Sb_Lang_UpClick);
    Handle(Sb_Lang_Down, &TLMDLImage::Click, &TfmMain::Sb_Lang_DownClick);
    const std::pair<TLMDLImage*, void (TfmMain::*)()> arrows[] = {{Sb_Off_1_Up, &TfmMain::Sb_Off_1_UpClick},
                                                                  {Sb_Off_1_Down, &TfmMain::Sb_Off_1_DownClick},
                                                                  {Sb_Off_2_Up, &TfmMain::Sb_Off_2_UpClick},
                                                                  {Sb_Off_2_Down, &TfmMain::Sb_Off_2_DownClick}};
    for (const auto& [arrow, handler] : arrows) {
        Handle(arrow, &TLMDLImage::Click, handler);
        Handle(arrow, &TLMDLImage::DblClick, handler);
    }
}

} // namespace murmex
