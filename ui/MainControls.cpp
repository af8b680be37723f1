#include "ui/MainControls.h"

#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/SkinAssets.h"
#include "ui/Surfaces.h"

#include <QLineEdit>

#include <algorithm>

namespace murmex::ui {

namespace L = layout;

SkinLists SkinLists::FromResources() {
    return {TLMDBitmapList::FromResources(L::ListOf(L::List::Btn)),
            TLMDBitmapList::FromResources(L::ListOf(L::List::Scroll)),
            TLMDBitmapList::FromResources(L::ListOf(L::List::YellowMenu))};
}

const TLMDBitmapList& SkinLists::Of(L::List list) const {
    switch (list) {
    case L::List::Scroll:
        return BitmapList_Scroll;
    case L::List::YellowMenu:
        return BitmapList_YellowMenu;
    default:
        return BitmapList_Btn;
    }
}

QFont LetteringFont(const L::Lettering& lettering, const QFont& fallback) {
    if (lettering.height == 0)
        return fallback;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(lettering.height);
    font.setBold(lettering.bold);
    return font;
}

MainControls::MainControls(QWidget* form, const SkinLists& lists, const QImage& texture)
    : m_lists(lists), m_texture(texture) {
    for (const L::ControlSpec& entry : L::Controls()) {
        QWidget* parent = entry.parent.empty() ? form : Find(entry.parent);
        QWidget* control = Create(entry, parent);
        control->setObjectName(QLatin1StringView(entry.name.data(), qsizetype(entry.name.size())));
        Dress(control, entry);
        m_controls.emplace_back(entry.name, control);
    }
    for (const L::ControlSpec& entry : L::Controls()) {
        if (entry.stack == L::Stack::Back)
            Find(entry.name)->lower();
        else if (entry.stack == L::Stack::Front)
            Find(entry.name)->raise();
    }
}

QWidget* MainControls::Create(const L::ControlSpec& entry, QWidget* parent) const {
    switch (entry.kind) {
    case L::Kind::Image: {
        auto* image = new TLMDLImage(parent);
        image->SetImageList(&m_lists.Of(entry.list));
        image->SetListIndex(entry.listIndex);
        return image;
    }
    case L::Kind::Picture:
        return new TImage(SkinPicture(entry.picture), parent);
    case L::Kind::FillLabel:
    case L::Kind::Label: {
        auto* label = new TLMDLabelFill(parent);
        label->SetPassPresses(entry.dragsWindow);
        label->setText(L::Text(entry.text));
        return label;
    }
    case L::Kind::Field:
        return new TSkinField(parent);
    case L::Kind::Edit:
        return new QLineEdit(parent);
    case L::Kind::TexturePanel:
        return new TLMDPanelFill(m_texture, parent);
    case L::Kind::Lamp: {
        auto* lamp = new TShape(parent);
        lamp->SetPenColor(QColor(0x00, 0x56, 0x80));
        return lamp;
    }
    case L::Kind::Indicator: {
        auto* indicator = new TIgoIndicator(parent);
        indicator->SetActive(true);
        return indicator;
    }
    }
    Fatal(entry.name);
}

void MainControls::Dress(QWidget* control, const L::ControlSpec& entry) const {
    control->setGeometry(entry.rect);
    control->setFont(LetteringFont(entry.font, control->font()));
    if (entry.font.height != 0) {
        QPalette colours = control->palette();
        colours.setColor(QPalette::WindowText, QColor::fromRgb(entry.font.colour));
        control->setPalette(colours);
    }
    if (entry.hand)
        control->setCursor(Qt::PointingHandCursor);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(L::Text(entry.text));
    if (auto* label = qobject_cast<TLMDLabelFill*>(control))
        label->SetAutoSize(entry.kind == L::Kind::Label);
}

QWidget* MainControls::Find(std::string_view name) const {
    const auto found = std::find_if(m_controls.begin(), m_controls.end(), [&](auto& c) { return c.first == name; });
    if (found == m_controls.end())
        Fatal(name);
    return found->second;
}

void MainControls::ApplyShowPlacement() const {
    for (const L::ControlSpec& entry : L::Controls()) {
        if (entry.onShow == L::OnShow::Keep)
            continue;
        QWidget* control = Find(entry.name);
        control->move(entry.rect.topLeft());
        control->setVisible(entry.onShow == L::OnShow::Show);
        if (entry.stack == L::Stack::Back)
            control->lower();
        else if (entry.stack == L::Stack::Front)
            control->raise();
    }
}

void MainControls::Fatal(std::string_view name) {
    qFatal("MainControls: no control %.*s of the expected kind", int(name.size()), name.data());
}

} // namespace murmex::ui
