#include "enter_key.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace {

class enter_presses final : public QObject {
public:
    explicit enter_presses(QAbstractButton* pressed) : QObject(pressed), button(pressed) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != button || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // A held key presses once, not once per repeat.
        if (!key->isAutoRepeat() && button->isEnabled())
            button->click();
        return true;
    }

private:
    QAbstractButton* button;
};

} // namespace

namespace platform {

void press_with_enter(QAbstractButton* button) { button->installEventFilter(new enter_presses(button)); }

} // namespace platform
