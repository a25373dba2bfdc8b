#include "first_paint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

class first_paint_watch : public QObject {
public:
    first_paint_watch(QWidget* window, std::function<void()> then) : QObject(window), action(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && action) {
            // The children are painted within the same flush; the queued call runs after it.
            QTimer::singleShot(0, watched, std::exchange(action, nullptr));
            watched->removeEventFilter(this);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> action;
};

} // namespace

void after_first_paint(QWidget* window, std::function<void()> then) { new first_paint_watch(window, std::move(then)); }
