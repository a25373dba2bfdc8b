#include "paint_counter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

paint_counter::paint_counter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }

bool paint_counter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        ++paints;
    return QObject::eventFilter(watched, event);
}

bool paint_counter::wait_for_paint_after(int before) const
{
    QElapsedTimer waited;
    waited.start();
    // The paint of the whole window happens inside one event; when it returns, everything that
    // was due has been drawn.
    while (paints == before) {
        if (waited.elapsed() > 2000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
