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
    : m_form(form), m_lists(lists), m_texture(texture) {
    for (const L::ControlSpec& spec : L::Controls()) {
        QWidget* parent = spec.parent.empty() ? form : Find(spec.parent);
        QWidget* control = Create(spec, parent);
        control->setObjectName(QLatin1StringView(spec.name.data(), qsizetype(spec.name.size())));
        Dress(control, spec);
        m_controls.emplace_back(spec.name, control);
    }
    for (const L::ControlSpec& spec : L::Controls()) {
        if (spec.stack == L::Stack::Back)
            Find(spec.name)->lower();
        else if (spec.stack == L::Stack::Front)
            Find(spec.name)->raise();
    }
}

QWidget* MainControls::Create(const L::ControlSpec& spec, QWidget* parent) const {
    switch (spec.kind) {
    case L::Kind::Image: {
        auto* image = new TLMDLImage(parent);
        image->SetImageList(&m_lists.Of(spec.list));
        image->SetListIndex(spec.listIndex);
        return image;
    }
    case L::Kind::Picture:
        return new TImage(SkinPicture(spec.picture), parent);
    case L::Kind::FillLabel:
    case L::Kind::Label: {
        auto* label = new TLMDLabelFill(parent);
        label->SetPassPresses(spec.dragsWindow);
        label->setText(QString::fromUtf8(spec.text.data(), qsizetype(spec.text.size())));
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
    Fatal(spec.name);
}

void MainControls::Dress(QWidget* control, const L::ControlSpec& spec) const {
    control->setGeometry(spec.rect);
    control->setFont(LetteringFont(spec.font, control->font()));
    if (spec.font.height != 0) {
        QPalette colours = control->palette();
        colours.setColor(QPalette::WindowText, QColor::fromRgb(spec.font.colour));
        control->setPalette(colours);
    }
    if (spec.hand)
        control->setCursor(Qt::PointingHandCursor);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(QString::fromUtf8(spec.text.data(), qsizetype(spec.text.size())));
    if (auto* label = qobject_cast<TLMDLabelFill*>(control))
        label->SetAutoSize(spec.kind == L::Kind::Label);
}

QWidget* MainControls::Find(std::string_view name) const {
    const auto found = std::find_if(m_controls.begin(), m_controls.end(), [&](auto& c) { return c.first == name; });
    if (found == m_controls.end())
        Fatal(name);
    return found->second;
}

void MainControls::ApplyShowPlacement() const {
    for (const L::ControlSpec& spec : L::Controls()) {
        if (spec.onShow == L::OnShow::Keep)
            continue;
        QWidget* control = Find(spec.name);
        control->move(spec.rect.topLeft());
        control->setVisible(spec.onShow == L::OnShow::Show);
        if (spec.stack == L::Stack::Back)
            control->lower();
        else if (spec.stack == L::Stack::Front)
            control->raise();
    }
}

void MainControls::Fatal(std::string_view name) {
    qFatal("MainControls: no control %.*s of the expected kind", int(name.size()), name.data());
}

} // namespace murmex::ui
