#pragma once
// Enter on a focused button presses it, as Space does.
//
// Outside a dialog, Qt's push buttons take Enter only as default buttons, and a default button
// would also answer Enter typed anywhere else in its window. This presses the button only
// while it has the keyboard focus; no button becomes a default.

class QAbstractButton;

namespace platform {

void press_with_enter(QAbstractButton* button);

} // namespace platform
