// What assistive technology (a screen reader) is told about the skinned window. The skin's controls are
// plain pictures to Qt, so the window describes them itself: it is a flat tree of just the controls a user
// works with, each with its role, name, state and the action of its click; pictures, lamps and headings
// stay out of it. Names are the controls' accessible names, which the window sets in its language; a field
// is read with its label and its text. UI thread only.
#pragma once

#include <QAccessible>

#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace murmex::ui {

struct AccessibleTraits {
    QAccessible::Role role = QAccessible::Button;
    // Radio buttons and check boxes: checked; page tabs: selected.
    std::function<bool()> on;
    // Sliders, from 0 to 100.
    std::function<int()> value;
    std::function<void(int)> setValue;

    static AccessibleTraits Plain(QAccessible::Role role = QAccessible::Button) { return {role, {}, {}, {}}; }
    static AccessibleTraits Checked(QAccessible::Role role, std::function<bool()> on) {
        return {role, std::move(on), {}, {}};
    }
    static AccessibleTraits Slider(std::function<int()> value, std::function<void(int)> setValue) {
        return {QAccessible::Slider, {}, std::move(value), std::move(setValue)};
    }
};

// Makes `window` such a tree, with `controls` as its children in reading order. A control that is an image
// control (TLMDLImage) and not a slider or a field has one action, which clicks it: the click is handled
// after the caller has had its answer, as a mouse click would be, by the control's own click handler.
void MakeAccessible(QWidget* window, std::vector<std::pair<QWidget*, AccessibleTraits>> controls);

// Tell assistive technology that a control's check or selection, or its value, may have changed; nothing
// for a control outside the tree or while no assistive technology listens.
void AccessibleStateChanged(QWidget* control);
void AccessibleValueChanged(QWidget* control, int value);

} // namespace murmex::ui
