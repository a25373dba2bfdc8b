#pragma once
// Lets message boxes come up on the screen as the user sees them, instead of recording them as
// message_recorder.h does, and presses each one's OK as soon as it shows, noting where it stood.
// While one lives, message boxes are expected.

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "modal_driver.h"
#include "platform.h"

namespace test_support {

class shown_message_boxes {
public:
    struct box {
        QString title;
        QString text;
        QPointer<QWidget> parent; // the window the box belongs to; null for none
        Qt::WindowModality modality = Qt::NonModal;
        QRect frame; // on the screen
    };

    shown_message_boxes();
    ~shown_message_boxes();
    shown_message_boxes(const shown_message_boxes&) = delete;
    shown_message_boxes& operator=(const shown_message_boxes&) = delete;

    QList<box> boxes;

private:
    platform::message_box_handler previous;
    modal_driver driver;
};

} // namespace test_support
