// Building the main window from its description: the shape and skin, every control bound to its name,
// the pictures drawn over controls, and the components without a place (hint style, tray icon, menu).
#include "app/Main.h"

#include "ui/FormShape.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/SkinAssets.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QLineEdit>

namespace murmex {

namespace L = ui::layout;

namespace {

template <class T> void Bind(const ui::MainControls& controls, T*& field, std::string_view name) {
    field = controls.Get<T>(name);
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

void TfmMain::CreateControls() {
    QFont formFont(QStringLiteral("DejaVu Sans"));
    formFont.setPixelSize(L::kFormFontHeight);
    setFont(formFont);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, L::kFormColour);
    colours.setColor(QPalette::WindowText, L::kFormFontColour);
    setPalette(colours);
    setAutoFillBackground(true);
    setWindowIcon(ui::ProgramIcon());

    LMDFormShape1 = new ui::TLMDFormShape(this, ui::SkinPicture(L::kSkinResource));
    m_texture = ui::SkinPicture(L::kTextureResource);
    m_controls = std::make_unique<ui::MainControls>(this, BitmapLists, m_texture);
    BindTitleAndGenerator();
    BindVolumeAndSettings();
    BindPages();

    const auto direct = L::DirectPictures();
    m_generatorFace = new ui::TDirectPicture(Bmp_Generator, {direct[0].at, direct[0].size}, this);
    m_scaleLeft = new ui::TDirectPicture(Bmp_Scroll_L, {direct[1].at, direct[1].size}, this);
    m_scaleRight = new ui::TDirectPicture(Bmp_Scroll_R, {direct[2].at, direct[2].size}, this);
    CreateComponents();
    CreateDiagnosticsPanel();
}

void TfmMain::BindTitleAndGenerator() {
    const ui::MainControls& c = *m_controls;
    Bind(c, Label_Title_Name_Shadow, "Label_Title_Name_Shadow");
    Bind(c, Label_Title_Name, "Label_Title_Name");
    Bind(c, Sb_Help, "Sb_Help");
    Bind(c, Sb_Internet, "Sb_Internet");
    Bind(c, Sb_Min, "Sb_Min");
    Bind(c, Sb_Close, "Sb_Close");
    Bind(c, Panel_Indicator_Generator, "Panel_Indicator_Generator");
    Bind(c, Indicator_Generator, "Indicator_Generator");
    Bind(c, Lbl_Title_1, "Lbl_Title_1");
    Bind(c, Img_Generator, "Img_Generator");
    ui::TLMDLImage** marks[] = {&Cb_Noise_1, &Cb_Noise_2, &Cb_Noise_3, &Cb_Noise_4,
                                &Cb_Noise_5, &Cb_Noise_6, &Cb_Noise_7, &Cb_Noise_8};
    ui::TLMDLImage** names[] = {&Img_Noise_1, &Img_Noise_2, &Img_Noise_3, &Img_Noise_4,
                                &Img_Noise_5, &Img_Noise_6, &Img_Noise_7, &Img_Noise_8};
    for (int n = 1; n <= 8; ++n) {
        Bind(c, *marks[n - 1], "Cb_Noise_" + std::to_string(n));
        Bind(c, *names[n - 1], "Img_Noise_" + std::to_string(n));
    }
    Bind(c, Sb_Generator, "Sb_Generator");
    connect(Sb_Close, &ui::TLMDLImage::Click, this, &TfmMain::Sb_CloseClick);
}

void TfmMain::BindVolumeAndSettings() {
    const ui::MainControls& c = *m_controls;
    Bind(c, Img_Volume, "Img_Volume");
    Bind(c, Img_Left, "Img_Left");
    Bind(c, Img_Right, "Img_Right");
    Bind(c, Img_1_L, "Img_1_L");
    Bind(c, Img_1_R, "Img_1_R");
    Bind(c, Left_Indicator, "Left_Indicator");
    Bind(c, Right_Indicator, "Right_Indicator");
    Bind(c, Img_Level_L, "Img_Level_L");
    Bind(c, Lbl_Vol_L, "Lbl_Vol_L");
    Bind(c, Img_Level_R, "Img_Level_R");
    Bind(c, Lbl_Vol_R, "Lbl_Vol_R");
    Bind(c, Img_Setting, "Img_Setting");
    Bind(c, Img_Yellow_Fon1, "Img_Yellow_Fon1");
    Bind(c, Btn_Yellow_1, "Btn_Yellow_1");
    Bind(c, Btn_Yellow_2, "Btn_Yellow_2");
    Bind(c, Btn_Yellow_3, "Btn_Yellow_3");
    Bind(c, Edit_Focus, "Edit_Focus");
    Bind(c, Lbl_Title_2, "Lbl_Title_2");
}

void TfmMain::BindPages() {
    const ui::MainControls& c = *m_controls;
    Bind(c, Lbl_Lang, "Lbl_Lang");
    Bind(c, Panel_Lang, "Panel_Lang");
    Bind(c, Edit_Lang, "Edit_Lang");
    Bind(c, Sb_Lang_Up, "Sb_Lang_Up");
    Bind(c, Sb_Lang_Down, "Sb_Lang_Down");
    Bind(c, Lbl_Obj1, "Lbl_Obj1");
    Bind(c, Panel_Obj1, "Panel_Obj1");
    Bind(c, Edit_Obj1, "Edit_Obj1");
    Bind(c, Sb_Obj1_Up, "Sb_Obj1_Up");
    Bind(c, Sb_Obj1_Down, "Sb_Obj1_Down");
    Bind(c, Cb_SPDIF, "Cb_SPDIF");
    Bind(c, Lbl_SPDIF, "Lbl_SPDIF");
    Bind(c, Lbl_Off_Title, "Lbl_Off_Title");
    Bind(c, Panel_Off_1, "Panel_Off_1");
    Bind(c, Edit_Off_1, "Edit_Off_1");
    Bind(c, Label1, "Label1");
    Bind(c, Sb_Off_1_Up, "Sb_Off_1_Up");
    Bind(c, Sb_Off_1_Down, "Sb_Off_1_Down");
    Bind(c, Panel_Off_2, "Panel_Off_2");
    Bind(c, Edit_Off_2, "Edit_Off_2");
    Bind(c, Sb_Off_2_Up, "Sb_Off_2_Up");
    Bind(c, Sb_Off_2_Down, "Sb_Off_2_Down");
    Bind(c, Cb_Min_FormShow, "Cb_Min_FormShow");
    Bind(c, Lbl_Min_FormShow, "Lbl_Min_FormShow");
    Bind(c, Cb_HintShow, "Cb_HintShow");
    Bind(c, Lbl_HintShow, "Lbl_HintShow");
}

void TfmMain::CreateComponents() {
    LMDShapeHint1 = new ui::TLMDShapeHint(this);
    Menu_Tray = new ui::TLMDPopupMenu(Text(L::kMenuHeading), this);
    QAction** items[] = {&TrayMenu_1, &TrayMenu_2, &TrayMenu_3, &TrayMenu_4};
    const auto specs = L::TrayMenuItems();
    for (std::size_t i = 0; i < specs.size(); ++i) {
        *items[i] =
            Menu_Tray->addAction(QIcon(QPixmap::fromImage(ui::SkinPicture(specs[i].glyph))), Text(specs[i].caption));
        (*items[i])->setObjectName(Text(specs[i].name));
    }
    TrayIcon = new ui::TLMDTrayIcon(this);
    TrayIcon->SetHint(Text(L::kTrayHint));
    TrayIcon->SetIcon(QIcon(QPixmap::fromImage(ui::SkinPicture(std::string(L::kIconResourceFolder) + "32.png"))));
    TrayIcon->SetPopupMenu(Menu_Tray);
}

} // namespace murmex
