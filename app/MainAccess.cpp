// The window without a mouse: its keys, which click the controls through their own handlers, and what a
// screen reader is told about the controls, in the current language.
#include "app/Main.h"

#include "app/Keys.h"
#include "i18n/Help.h"
#include "ui/Accessible.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

namespace murmex {

// The focus stays in the hidden field, read-only so that it takes no typing; its keys are the window's.
void TfmMain::ConnectKeys() {
    Edit_Focus->setReadOnly(true);
    Edit_Focus->installEventFilter(this);
}

bool TfmMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    const KeyAction action = KeyActionFor(key, modifiers, autoRepeat);
    switch (action.command) {
    case KeyCommand::None:
        return false;
    case KeyCommand::Stay:
        break;
    case KeyCommand::Generator:
        RunAction([this] { Sb_GeneratorClick(); });
        break;
    case KeyCommand::Noise:
        RunAction([this, &action] { Cb_NoiseClick(action.noise); });
        break;
    case KeyCommand::VolumeUp:
    case KeyCommand::VolumeDown:
        RunAction([this, &action] {
            SetVolumes(VolumeAfterKey(Value_L, action.command), VolumeAfterKey(Value_R, action.command));
        });
        break;
    case KeyCommand::Minimise:
        RunAction([this] { Sb_MinClick(); });
        break;
    case KeyCommand::Help:
        RunAction([this] { Sb_HelpClick(); });
        break;
    case KeyCommand::Close:
        Sb_CloseClick();
        break;
    }
    return true;
}

bool TfmMain::FormKeyEvent(const QKeyEvent& key) {
    if (key.type() == QEvent::KeyRelease) {
        m_keyRepeats.Released(key.key(), key.timestamp());
        return false;
    }
    return FormKeyDown(key.key(), key.modifiers(),
                       m_keyRepeats.Repeated(key.key(), key.timestamp(), key.isAutoRepeat()));
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle()) {
        // Only while shown: a hidden window is unexposed as well, and hides its timers by itself.
        m_unexposed = isVisible() && !windowHandle()->isExposed();
        PaceTimers();
    }
    if (watched == Edit_Focus && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        return FormKeyEvent(static_cast<const QKeyEvent&>(*event));
    return QWidget::eventFilter(watched, event);
}

// Keys reach the window itself when nothing of it has the focus.
void TfmMain::keyPressEvent(QKeyEvent* event) {
    if (!FormKeyEvent(*event))
        QWidget::keyPressEvent(event);
}

void TfmMain::keyReleaseEvent(QKeyEvent* event) {
    FormKeyEvent(*event);
    QWidget::keyReleaseEvent(event);
}

void TfmMain::ConnectAccessibility() {
    using R = QAccessible::Role;
    using Traits = ui::AccessibleTraits;
    const Traits button = Traits::Plain();
    const Traits field = Traits::Plain(R::StaticText);
    const auto option = [](bool& value) { return Traits::Checked(R::CheckBox, [&value] { return value; }); };
    std::vector<std::pair<QWidget*, Traits>> controls;
    for (QWidget* title : {Sb_Help, Sb_Internet, Sb_Min, Sb_Close})
        controls.emplace_back(title, button);
    const auto marks = NoiseMarkControls();
    for (std::int32_t n = 1; n <= std::int32_t(marks.size()); ++n)
        controls.emplace_back(marks[std::size_t(n - 1)],
                              Traits::Checked(R::RadioButton, [this, n] { return Noise_Num == n; }));
    controls.emplace_back(Sb_Generator, button);
    for (const bool left : {true, false}) {
        const auto set = [this, left](int v) {
            RunAction(
                [this, left, v] { SetVolumes(left ? ClampVolume(v) : Value_L, left ? Value_R : ClampVolume(v)); });
        };
        controls.emplace_back(left ? Img_1_L : Img_1_R,
                              Traits::Slider([this, left] { return left ? Value_L : Value_R; }, set));
    }
    ui::TLMDLImage* const tabs[] = {Btn_Yellow_1, Btn_Yellow_2, Btn_Yellow_3};
    for (std::int32_t k = 0; k < 3; ++k)
        controls.emplace_back(tabs[k], Traits::Checked(R::PageTab, [this, k] { return Page_Num == k; }));
    // The settings pages in reading order: each field with its arrows, then the page's tick boxes.
    const std::pair<QWidget*, Traits> settings[] = {{Edit_Lang, field},
                                                    {Sb_Lang_Up, button},
                                                    {Sb_Lang_Down, button},
                                                    {Edit_Obj1, field},
                                                    {Sb_Obj1_Up, button},
                                                    {Sb_Obj1_Down, button},
                                                    {Cb_SPDIF, option(SPDIF)},
                                                    {Edit_Off_1, field},
                                                    {Sb_Off_1_Up, button},
                                                    {Sb_Off_1_Down, button},
                                                    {Edit_Off_2, field},
                                                    {Sb_Off_2_Up, button},
                                                    {Sb_Off_2_Down, button},
                                                    {Cb_Min_FormShow, option(Min_FormShow)},
                                                    {Cb_HintShow, option(HintShow)}};
    controls.insert(controls.end(), std::begin(settings), std::end(settings));
    setAccessibleName(windowTitle());
    ui::MakeAccessible(this, std::move(controls));
}

// The controls with a text of their own on the skin are named by it or by their hint; the rest by the short
// names of the text holder. A field is read with its label, an arrow with its field's label.
void TfmMain::ShowAccessibleNames(const TfmHelp& t) {
    const std::pair<QWidget*, const QString*> named[] = {{Sb_Help, &t.Str_Hint_Help},
                                                         {Sb_Internet, &t.Str_Hint_Internet},
                                                         {Sb_Min, &t.Str_Hint_Min},
                                                         {Sb_Close, &t.Str_Hint_Close},
                                                         {Cb_Noise_1, &t.Str_Noise_1},
                                                         {Cb_Noise_2, &t.Str_Noise_2},
                                                         {Cb_Noise_3, &t.Str_Noise_3},
                                                         {Cb_Noise_4, &t.Str_Noise_4},
                                                         {Cb_Noise_5, &t.Str_Noise_5},
                                                         {Cb_Noise_6, &t.Str_Noise_6},
                                                         {Cb_Noise_7, &t.Str_Noise_7},
                                                         {Cb_Noise_8, &t.Str_Noise_8},
                                                         {Img_1_L, &t.Str_Volume_L},
                                                         {Img_1_R, &t.Str_Volume_R},
                                                         {Btn_Yellow_1, &t.Str_Page_1},
                                                         {Btn_Yellow_2, &t.Str_Page_2},
                                                         {Btn_Yellow_3, &t.Str_Page_3},
                                                         {Cb_SPDIF, &t.Str_ShowSPDIF},
                                                         {Cb_Min_FormShow, &t.Str_Hint_Min_FormShow},
                                                         {Cb_HintShow, &t.Str_Hint_HintShow},
                                                         {Edit_Lang, &t.Str_Interface},
                                                         {Edit_Obj1, &t.Str_AudioDevice},
                                                         {Edit_Off_1, &t.Str_Off_Title},
                                                         {Edit_Off_2, &t.Str_Hint_Off_2}};
    for (const auto& [control, text] : named)
        control->setAccessibleName(*text);
    const std::pair<ui::TLMDLImage*, const QString*> arrows[] = {
        {Sb_Lang_Up, &t.Str_Up},  {Sb_Lang_Down, &t.Str_Down},  {Sb_Obj1_Up, &t.Str_Up},  {Sb_Obj1_Down, &t.Str_Down},
        {Sb_Off_1_Up, &t.Str_Up}, {Sb_Off_1_Down, &t.Str_Down}, {Sb_Off_2_Up, &t.Str_Up}, {Sb_Off_2_Down, &t.Str_Down}};
    for (const auto& [arrow, direction] : arrows) {
        const QWidget* field = arrow->parentWidget()->findChild<ui::TSkinField*>();
        arrow->setAccessibleName(field->accessibleName() + u' ' + *direction);
    }
}

} // namespace murmex
