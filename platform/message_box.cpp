#include "message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <utility>

namespace platform {
namespace {

message_box_handler& installed_handler()
{
    static message_box_handler handler;
    return handler;
}

// The active window; right after an earlier box closed, activation is still on its way back to
// the window that box belonged to, and the next box belongs there as well.
QWidget* parent_window()
{
    static QPointer<QWidget> earlier;
    QWidget* window = QApplication::activeWindow();
    if (window == nullptr || !window->isVisible() || window->objectName() == message_box_name)
        window = earlier;
    if (window == nullptr || !window->isVisible())
        return nullptr;
    earlier = window;
    return window;
}

} // namespace

void message_box(const QString& title, const QString& text, const QString& details)
{
    if (installed_handler()) {
        installed_handler()(title, text, details);
        return;
    }
    // On the heap: a parent that goes away while the box is up takes the box with it.
    const QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent_window());
    box->setObjectName(message_box_name);
    // Modal to the whole program, not only to its window: the other windows must not act while
    // the handler that opened the box is still halfway through.
    box->setWindowModality(Qt::ApplicationModal);
    box->setDetailedText(details);
    box->exec();
    delete box.data();
}

message_box_handler set_message_box_handler(message_box_handler handler)
{
    return std::exchange(installed_handler(), std::move(handler));
}

} // namespace platform
