#include "ui/SkinAssets.h"

#include "ui/MainLayout.h"

#include <QString>

// The resource data is linked from a static library: it registers itself only when asked by name.
static void InitSkinResources() {
    Q_INIT_RESOURCE(skin);
}

namespace murmex::ui {

QImage SkinPicture(std::string_view resource) {
    static const bool registered = (InitSkinResources(), true);
    Q_UNUSED(registered);
    return QImage(layout::Text(resource));
}

QImage IconPicture(int size) {
    return SkinPicture(std::string(layout::kIconResourceFolder) + std::to_string(size) + ".png");
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : layout::kIconSizes)
        icon.addPixmap(QPixmap::fromImage(IconPicture(size)));
    return icon;
}

} // namespace murmex::ui
