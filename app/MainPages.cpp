// The settings area: its three pages, the tabs that switch them and the tick boxes of the options page.
#include "app/Main.h"

#include "app/Hover.h"
#include "app/SettingsPages.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

namespace murmex {

void TfmMain::Btn_Yellow_1Click() {
    Page_Num = 0;
    UpdateSettingsPage();
}

void TfmMain::Btn_Yellow_2Click() {
    Page_Num = 1;
    UpdateSettingsPage();
}

void TfmMain::Btn_Yellow_3Click() {
    Page_Num = 2;
    UpdateSettingsPage();
}

void TfmMain::UpdateSettingsPage() {
    const std::optional<PageControls> shown = PageVisibility(Page_Num, Off_1);
    if (!shown)
        return;
    for (QWidget* control : {static_cast<QWidget*>(Lbl_Lang), static_cast<QWidget*>(Panel_Lang)})
        control->setVisible(shown->language);
    for (QWidget* control : std::initializer_list<QWidget*>{Lbl_Obj1, Panel_Obj1, Cb_SPDIF, Lbl_SPDIF})
        control->setVisible(shown->device);
    for (QWidget* control : std::initializer_list<QWidget*>{Lbl_Min_FormShow, Cb_Min_FormShow, Lbl_HintShow,
                                                            Cb_HintShow, Lbl_Off_Title, Panel_Off_1})
        control->setVisible(shown->options);
    Panel_Off_2->setVisible(shown->offAction);
}

void TfmMain::UpdateOptionMarks() {
    Cb_HintShow->SetListIndex(TickBoxPicture(HintShow));
    Cb_Min_FormShow->SetListIndex(TickBoxPicture(Min_FormShow));
}

// The current page's tab stays lit, and any other lights up while the cursor is over it, with no test of
// the window's visibility; a hidden or minimised window's tick does not read the cursor, though, and then
// only the current page's tab is lit.
void TfmMain::ShowTabFaces(QPoint cursor) {
    ui::TLMDLImage* const tabs[] = {Btn_Yellow_1, Btn_Yellow_2, Btn_Yellow_3};
    for (int k = 0; k < kPageCount; ++k) {
        ui::TLMDLImage* tab = tabs[k];
        const bool hovered = CursorOver(cursor, pos(), tab->geometry(), true);
        if (const std::optional<int> face = TabFace(k, hovered || Page_Num == k, Lang_Num))
            tab->SetListIndex(*face);
    }
}

} // namespace murmex
