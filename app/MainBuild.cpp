// Building the main window from its description: the shape and skin, every control bound to its name,
// the pictures drawn over controls, and the components without a place (hint style, tray icon, menu).
#include "app/Main.h"

#include "ui/FormShape.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/SkinAssets.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace murmex {

namespace L = ui::layout;

namespace {

template <class T> void Bind(const ui::MainControls& controls, T*& field, std::string_view name) {
    field = controls.Get<T>(name);
}

// Every field is bound to the control of its own name, spelt once.
#define BIND(field) Bind(c, field, #field)

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
    ConnectHandlers();
    ConnectVolume();
    ConnectKeys();
    ConnectAccessibility();
}

void TfmMain::BindTitleAndGenerator() {
    const ui::MainControls& c = *m_controls;
    BIND(Label_Title_Name_Shadow);
    BIND(Label_Title_Name);
    BIND(Sb_Help);
    BIND(Sb_Internet);
    BIND(Sb_Min);
    BIND(Sb_Close);
    BIND(Panel_Indicator_Generator);
    BIND(Indicator_Generator);
    BIND(Lbl_Title_1);
    BIND(Img_Generator);
    ui::TLMDLImage** marks[] = {&Cb_Noise_1, &Cb_Noise_2, &Cb_Noise_3, &Cb_Noise_4,
                                &Cb_Noise_5, &Cb_Noise_6, &Cb_Noise_7, &Cb_Noise_8};
    ui::TLMDLImage** names[] = {&Img_Noise_1, &Img_Noise_2, &Img_Noise_3, &Img_Noise_4,
                                &Img_Noise_5, &Img_Noise_6, &Img_Noise_7, &Img_Noise_8};
    for (int n = 1; n <= 8; ++n) {
        Bind(c, *marks[n - 1], "Cb_Noise_" + std::to_string(n));
        Bind(c, *names[n - 1], "Img_Noise_" + std::to_string(n));
    }
    BIND(Sb_Generator);
}

void TfmMain::BindVolumeAndSettings() {
    const ui::MainControls& c = *m_controls;
    BIND(Img_Volume);
    BIND(Img_Left);
    BIND(Img_Right);
    BIND(Img_1_L);
    BIND(Img_1_R);
    BIND(Left_Indicator);
    BIND(Right_Indicator);
    BIND(Img_Level_L);
    BIND(Lbl_Vol_L);
    BIND(Img_Level_R);
    BIND(Lbl_Vol_R);
    BIND(Img_Setting);
    BIND(Img_Yellow_Fon1);
    BIND(Btn_Yellow_1);
    BIND(Btn_Yellow_2);
    BIND(Btn_Yellow_3);
    BIND(Edit_Focus);
    BIND(Lbl_Title_2);
}

void TfmMain::BindPages() {
    const ui::MainControls& c = *m_controls;
    BIND(Lbl_Lang);
    BIND(Panel_Lang);
    BIND(Edit_Lang);
    BIND(Sb_Lang_Up);
    BIND(Sb_Lang_Down);
    BIND(Lbl_Obj1);
    BIND(Panel_Obj1);
    BIND(Edit_Obj1);
    BIND(Sb_Obj1_Up);
    BIND(Sb_Obj1_Down);
    BIND(Cb_SPDIF);
    BIND(Lbl_SPDIF);
    BIND(Lbl_Off_Title);
    BIND(Panel_Off_1);
    BIND(Edit_Off_1);
    BIND(Label1);
    BIND(Sb_Off_1_Up);
    BIND(Sb_Off_1_Down);
    BIND(Panel_Off_2);
    BIND(Edit_Off_2);
    BIND(Sb_Off_2_Up);
    BIND(Sb_Off_2_Down);
    BIND(Cb_Min_FormShow);
    BIND(Lbl_Min_FormShow);
    BIND(Cb_HintShow);
    BIND(Lbl_HintShow);
}

void TfmMain::CreateComponents() {
    LMDShapeHint1 = new ui::TLMDShapeHint(this);
    Menu_Tray = new ui::TLMDPopupMenu(L::Text(L::kMenuHeading), this);
    QAction** items[] = {&TrayMenu_1, &TrayMenu_2, &TrayMenu_3, &TrayMenu_4};
    const auto specs = L::TrayMenuItems();
    for (std::size_t i = 0; i < specs.size(); ++i) {
        *items[i] =
            Menu_Tray->addAction(QIcon(QPixmap::fromImage(ui::SkinPicture(specs[i].glyph))), L::Text(specs[i].caption));
        (*items[i])->setObjectName(L::Text(specs[i].name));
    }
    TrayIcon = new ui::TLMDTrayIcon(this);
    TrayIcon->SetHint(L::Text(L::kTrayHint));
    TrayIcon->SetIcon(QIcon(QPixmap::fromImage(ui::IconPicture(32))));
    TrayIcon->SetPopupMenu(Menu_Tray);

    Timer_Work = new QTimer(this);
    Timer_Work->setInterval(100);
    Timer_Indicator = new QTimer(this);
    Timer_Indicator->setInterval(60);
}

// Every handler of a user action runs through RunAction, so that no error it raises crosses the event loop.
void TfmMain::ConnectHandlers() {
    using ui::TLMDLImage;
    connect(Sb_Close, &TLMDLImage::Click, this, &TfmMain::Sb_CloseClick);
    Handle(Timer_Work, &QTimer::timeout, &TfmMain::Timer_WorkTimer);
    Handle(Timer_Indicator, &QTimer::timeout, &TfmMain::Timer_IndicatorTimer);

    Handle(Sb_Generator, &TLMDLImage::Click, &TfmMain::Sb_GeneratorClick);
    HandleButton(Sb_Generator, &TLMDLImage::MouseDown, &TfmMain::Sb_GeneratorMouseDown);
    HandleButton(Sb_Generator, &TLMDLImage::MouseUp, &TfmMain::Sb_GeneratorMouseUp);
    const auto marks = NoiseMarkControls();
    const TLMDLImage* names[] = {Img_Noise_1, Img_Noise_2, Img_Noise_3, Img_Noise_4,
                                 Img_Noise_5, Img_Noise_6, Img_Noise_7, Img_Noise_8};
    for (std::int32_t n = 1; n <= std::int32_t(marks.size()); ++n) {
        for (const TLMDLImage* control : {static_cast<const TLMDLImage*>(marks[std::size_t(n - 1)]), names[n - 1]})
            connect(control, &TLMDLImage::Click, this, [this, n] { RunAction([this, n] { Cb_NoiseClick(n); }); });
    }
    Handle(TrayMenu_1, &QAction::triggered, &TfmMain::TrayMenu_1Click);
    Handle(TrayMenu_2, &QAction::triggered, &TfmMain::TrayMenu_2Click);

    Handle(Sb_Obj1_Up, &TLMDLImage::Click, &TfmMain::Sb_Obj1_UpClick);
    Handle(Sb_Obj1_Down, &TLMDLImage::Click, &TfmMain::Sb_Obj1_DownClick);
    Handle(Cb_SPDIF, &TLMDLImage::Click, &TfmMain::Cb_SPDIFClick);
    Handle(Lbl_SPDIF, &ui::TLMDLabelFill::Click, &TfmMain::Cb_SPDIFClick);

    Handle(Btn_Yellow_1, &TLMDLImage::Click, &TfmMain::Btn_Yellow_1Click);
    Handle(Btn_Yellow_2, &TLMDLImage::Click, &TfmMain::Btn_Yellow_2Click);
    Handle(Btn_Yellow_3, &TLMDLImage::Click, &TfmMain::Btn_Yellow_3Click);
    ConnectLanguageAndOff();
    ConnectTrayAndOptions();
}

} // namespace murmex
