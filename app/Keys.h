// The window's keys: which command of the window a key press gives. Each command is a click of a control
// (or a step of both volume sliders), handled by that control's own handler. Pure functions; any thread.
#pragma once

#include "app/Sliders.h"

#include <Qt>

#include <cstdint>

namespace murmex {

enum class KeyCommand : std::uint8_t {
    None,       // not the window's: the key goes its usual way
    Stay,       // taken and nothing done, so that the focus stays in its hidden field
    Generator,  // Space, Enter
    Noise,      // 1 to 8
    VolumeUp,   // Up
    VolumeDown, // Down
    Minimise,   // Escape
    Help,       // F1
    Close,      // Ctrl+Q
};

struct KeyAction {
    KeyCommand command = KeyCommand::None;
    std::int32_t noise = 0;

    bool operator==(const KeyAction&) const = default;
};

inline constexpr std::int32_t kVolumeKeyStep = 5;

// A held key repeats only the volume steps: a repeated Space would start and stop the generator in turn.
// The digits of the keypad count as digits.
constexpr KeyAction KeyActionFor(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    if (held == Qt::ControlModifier && key == Qt::Key_Q)
        return {autoRepeat ? KeyCommand::Stay : KeyCommand::Close};
    if (held != Qt::NoModifier && held != Qt::ShiftModifier)
        return {};
    KeyAction action;
    if (key >= Qt::Key_1 && key <= Qt::Key_8)
        action = {KeyCommand::Noise, key - Qt::Key_0};
    else if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        action = {KeyCommand::Generator};
    else if (key == Qt::Key_Up || key == Qt::Key_Down)
        return {key == Qt::Key_Up ? KeyCommand::VolumeUp : KeyCommand::VolumeDown};
    else if (key == Qt::Key_Escape)
        action = {KeyCommand::Minimise};
    else if (key == Qt::Key_F1)
        action = {KeyCommand::Help};
    else if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        action = {KeyCommand::Stay};
    if (autoRepeat && action.command != KeyCommand::None)
        return {KeyCommand::Stay};
    return action;
}

// Tells a held key's repeats from new presses where the windowing system reports each repeat as a release and a
// press, and marks them as a repeat only when both had already arrived together (X does so under load, and a
// held Enter would then start and stop the generator every second or so). The two events of a repeat carry the
// same time, which a real release and press never do. A time of 0 is unknown and tells nothing.
class KeyRepeats {
public:
    constexpr void Released(int key, std::uint64_t time) {
        m_key = key;
        m_time = time;
    }
    // True when the press repeats the key held down.
    constexpr bool Repeated(int key, std::uint64_t time, bool autoRepeat) const {
        return autoRepeat || (time != 0 && key == m_key && time == m_time);
    }

private:
    int m_key = 0;
    std::uint64_t m_time = 0;
};

// A volume after one key step, each slider from its own value.
constexpr std::int32_t VolumeAfterKey(std::int32_t value, KeyCommand command) {
    return ClampVolume(value + (command == KeyCommand::VolumeUp ? kVolumeKeyStep : -kVolumeKeyStep));
}

} // namespace murmex
