// Builds the window's controls from the window description and finds them again by name; arranges what
// every show of the window arranges (places, visibility, stacking). UI thread only.
#pragma once

#include "ui/BitmapList.h"
#include "ui/MainLayout.h"

#include <QImage>
#include <QWidget>

#include <string_view>
#include <utility>
#include <vector>

namespace murmex::ui {

// The window's three picture lists.
struct SkinLists {
    TLMDBitmapList BitmapList_Btn;
    TLMDBitmapList BitmapList_Scroll;
    TLMDBitmapList BitmapList_YellowMenu;

    static SkinLists FromResources();
    const TLMDBitmapList& Of(layout::List list) const;
};

// The font of a lettering description: DejaVu Sans stands in for the description's face.
QFont LetteringFont(const layout::Lettering& lettering, const QFont& fallback);

class MainControls {
public:
    // Creates every control of the description on `form`, in order; the lists and texture must outlive it.
    MainControls(QWidget* form, const SkinLists& lists, const QImage& texture);

    // The control of that name; a name that is not there, or a control of another class, is a
    // programming error and ends the program.
    QWidget* Find(std::string_view name) const;
    template <class T> T* Get(std::string_view name) const {
        T* control = qobject_cast<T*>(Find(name));
        if (!control)
            Fatal(name);
        return control;
    }

    // What every show arranges: each control the show places goes to its place, is shown or hidden, and
    // takes its place in the stacking order.
    void ApplyShowPlacement() const;

private:
    QWidget* Create(const layout::ControlSpec& entry, QWidget* parent) const;
    void Dress(QWidget* control, const layout::ControlSpec& entry) const;
    [[noreturn]] static void Fatal(std::string_view name);

    const SkinLists& m_lists;
    QImage m_texture;
    std::vector<std::pair<std::string_view, QWidget*>> m_controls;
};

} // namespace murmex::ui
