#include "context_menu.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace test_support {

bool choose_from_context_menu(QWidget* widget, const QString& item)
{
    bool chosen = false;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible())
            return;
        watch.stop();
        for (QAction* action : menu->actions())
            if (action->text() == item) {
                chosen = true;
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        menu->close();
    });
    watch.start();
    QContextMenuEvent right_click(QContextMenuEvent::Mouse, widget->rect().center(),
                                  widget->mapToGlobal(widget->rect().center()));
    QApplication::sendEvent(widget, &right_click);
    return chosen;
}

} // namespace test_support
