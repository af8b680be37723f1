#include "ui/Accessible.h"

#include "ui/LImage.h"

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPointer>

#include <algorithm>

namespace murmex::ui {
namespace {

// The controls of one window, kept as the window's child so that they go with it.
class AccessibleTree : public QObject {
public:
    AccessibleTree(QWidget* window, std::vector<std::pair<QWidget*, AccessibleTraits>> controls) : QObject(window) {
        setObjectName(kName);
        for (auto& [control, traits] : controls) {
            // A field's name holds its text.
            if (auto* field = qobject_cast<QLineEdit*>(control)) {
                connect(field, &QLineEdit::textChanged, this, [field] {
                    if (!QAccessible::isActive())
                        return;
                    QAccessibleEvent event(field, QAccessible::NameChanged);
                    QAccessible::updateAccessibility(&event);
                });
            }
            m_controls.emplace_back(control, std::move(traits));
        }
    }

    static AccessibleTree* Of(const QWidget* window) {
        return dynamic_cast<AccessibleTree*>(window->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly));
    }

    int Count() const { return int(m_controls.size()); }
    QWidget* Control(int i) const { return m_controls[std::size_t(i)].first; }
    int IndexOf(const QWidget* control) const {
        const auto found =
            std::find_if(m_controls.begin(), m_controls.end(), [&](auto& c) { return c.first == control; });
        return found == m_controls.end() ? -1 : int(found - m_controls.begin());
    }
    const AccessibleTraits& Traits(int i) const { return m_controls[std::size_t(i)].second; }

private:
    static constexpr QLatin1StringView kName{"murmex_accessible_tree"};
    std::vector<std::pair<QPointer<QWidget>, AccessibleTraits>> m_controls;
};

// The traits of `control` in its window's tree, if it has one.
const AccessibleTraits* TraitsOf(const QWidget* control) {
    const AccessibleTree* tree = AccessibleTree::Of(control->window());
    const int i = tree ? tree->IndexOf(control) : -1;
    return i < 0 ? nullptr : &tree->Traits(i);
}

class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return Tree() ? Tree()->Count() : 0; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount() || !Tree()->Control(index))
            return nullptr;
        return QAccessible::queryAccessibleInterface(Tree()->Control(index));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child || !Tree() || !child->object() || !child->object()->isWidgetType())
            return -1;
        return Tree()->IndexOf(static_cast<QWidget*>(child->object()));
    }

private:
    const AccessibleTree* Tree() const { return AccessibleTree::Of(widget()); }
};

class ControlAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    ControlAccessible(QWidget* control, AccessibleTraits traits)
        : QAccessibleWidget(control, traits.role), m_traits(std::move(traits)) {}

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(widget()->window()); }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            if (const auto* field = qobject_cast<const QLineEdit*>(widget()))
                return widget()->accessibleName() + u' ' + field->text();
            return widget()->accessibleName();
        }
        if (t == QAccessible::Value && m_traits.value)
            return QString::number(m_traits.value());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (!m_traits.on)
            return s;
        const bool on = m_traits.on();
        if (role() == QAccessible::PageTab) {
            s.selectable = true;
            s.selected = on;
        } else {
            s.checkable = true;
            s.checked = on;
        }
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && m_traits.value)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QStringList actionNames() const override {
        if (!qobject_cast<const TLMDLImage*>(widget()) || m_traits.value)
            return {};
        return {role() == QAccessible::CheckBox ? toggleAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        auto* image = qobject_cast<TLMDLImage*>(widget());
        if (!image || !actionNames().contains(name))
            return;
        QMetaObject::invokeMethod(
            image, [image] { emit image->Click(); }, Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    QVariant currentValue() const override { return m_traits.value ? m_traits.value() : 0; }
    void setCurrentValue(const QVariant& value) override {
        if (m_traits.setValue)
            m_traits.setValue(value.toInt());
    }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    AccessibleTraits m_traits;
};

QAccessibleInterface* SkinFactory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (AccessibleTree::Of(widget))
        return new WindowAccessible(widget);
    if (const AccessibleTraits* traits = TraitsOf(widget))
        return new ControlAccessible(widget, *traits);
    return nullptr;
}

} // namespace

void MakeAccessible(QWidget* window, std::vector<std::pair<QWidget*, AccessibleTraits>> controls) {
    static const bool installed = [] {
        QAccessible::installFactory(SkinFactory);
        return true;
    }();
    (void)installed;
    delete AccessibleTree::Of(window);
    // Whatever Qt made of these widgets before gives way to the tree's own: any change announced while the
    // window was being built (its title, a field's text) has made Qt describe the widget, and keep that.
    std::vector<QWidget*> widgets{window};
    for (const auto& control : controls)
        widgets.push_back(control.first);
    new AccessibleTree(window, std::move(controls));
    for (QWidget* widget : widgets) {
        if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

void AccessibleStateChanged(QWidget* control) {
    if (!QAccessible::isActive())
        return;
    const AccessibleTraits* traits = TraitsOf(control);
    if (!traits || !traits->on)
        return;
    QAccessible::State changed;
    if (traits->role == QAccessible::PageTab)
        changed.selected = true;
    else
        changed.checked = true;
    QAccessibleStateChangeEvent event(control, changed);
    QAccessible::updateAccessibility(&event);
}

void AccessibleValueChanged(QWidget* control, int value) {
    if (!QAccessible::isActive() || !TraitsOf(control))
        return;
    QAccessibleValueChangeEvent event(control, value);
    QAccessible::updateAccessibility(&event);
}

} // namespace murmex::ui
