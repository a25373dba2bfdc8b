#pragma once
// What a screen reader finds in a window, read through Qt's own accessibility interfaces: the
// focusable controls and their names.

#include <QAccessible>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace test_support {

// Every visible control of the window that takes the keyboard focus, as its accessible tree holds
// it (a table counts as one control; its cells are read through its table interface), each as
// "name" (the label tied to it, else its own name) with its objectName and class, for failure
// messages.
struct accessible_control {
    QString name;
    QString control; // "objectName (class)"
};
std::vector<accessible_control> focusable_controls(QWidget* window);

// One line for each focusable control without a name, and for each name two controls share;
// empty when a screen reader can tell every control apart.
QStringList naming_faults(QWidget* window);

} // namespace test_support
