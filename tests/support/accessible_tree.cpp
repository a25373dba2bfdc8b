#include "accessible_tree.h"

#include <QMap>
#include <QWidget>

namespace test_support {

namespace {

// What a screen reader calls a control: the label tied to it, else its name. On Linux Qt names a
// drop-down list by its current item, which does not say what the list is: there only a label
// does.
QString spoken_name(QAccessibleInterface* control)
{
    for (const auto& [label, relation] : control->relations(QAccessible::Label))
        if (label != nullptr)
            return label->text(QAccessible::Name);
    const QString name = control->text(QAccessible::Name);
    return control->role() == QAccessible::ComboBox && name == control->text(QAccessible::Value) ? QString() : name;
}

// "uo_drugi/sle_trazi (QLineEdit)": where the control is, for a failure message.
QString described(const QObject* control)
{
    QString path = control->objectName();
    for (const QObject* up = control->parent(); up != nullptr && up->parent() != nullptr; up = up->parent())
        if (!up->objectName().isEmpty())
            path = up->objectName() + QLatin1Char('/') + path;
    return QStringLiteral("%1 (%2)").arg(path, QLatin1String(control->metaObject()->className()));
}

void collect(QAccessibleInterface* iface, std::vector<accessible_control>& found)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (child == nullptr || child->state().invisible || !child->object() || !child->object()->isWidgetType())
            continue;
        if (child->state().focusable)
            found.push_back({spoken_name(child), described(child->object())});
        if (child->tableInterface() == nullptr)
            collect(child, found);
    }
}

} // namespace

std::vector<accessible_control> focusable_controls(QWidget* window)
{
    std::vector<accessible_control> found;
    if (QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window))
        collect(root, found);
    return found;
}

QStringList naming_faults(QWidget* window)
{
    QStringList faults;
    QMap<QString, QStringList> by_name;
    for (const accessible_control& control : focusable_controls(window)) {
        if (control.name.trimmed().isEmpty())
            faults << QStringLiteral("no accessible name: ") + control.control;
        else
            by_name[control.name] << control.control;
    }
    for (auto named = by_name.cbegin(); named != by_name.cend(); ++named)
        if (named->size() > 1)
            faults << QStringLiteral("\"%1\" names %2").arg(named.key(), named->join(QStringLiteral(" and ")));
    return faults;
}

} // namespace test_support
