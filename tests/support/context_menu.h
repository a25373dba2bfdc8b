#pragma once
// A right click on a widget and a click on one item of the context menu it opens, as a user
// chooses it with the mouse.

#include <QString>

class QWidget;

namespace test_support {

// True when the menu came up and held the item (the menu is closed otherwise).
bool choose_from_context_menu(QWidget* widget, const QString& item);

} // namespace test_support
