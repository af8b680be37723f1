// The pictures painted at build time and embedded in the program under ":/skin". Loading is done on the
// UI thread.
#pragma once

#include <QIcon>
#include <QImage>

#include <string_view>

namespace murmex::ui {

// One embedded picture by its resource path; a null image when there is none.
QImage SkinPicture(std::string_view resource);

// The program's icon at one of its sizes (layout::kIconSizes); a null image at any other.
QImage IconPicture(int size);

// The program's icon with all its sizes.
QIcon ProgramIcon();

} // namespace murmex::ui
