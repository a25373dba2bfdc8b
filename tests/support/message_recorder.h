#pragma once
// Answers message boxes instead of showing them, and keeps what they said.

#include <QList>
#include <QString>
#include <QStringList>

#include "platform.h"

namespace test_support {

class message_recorder {
public:
    struct box {
        QString title;
        QString text;
    };

    message_recorder();
    ~message_recorder();
    message_recorder(const message_recorder&) = delete;
    message_recorder& operator=(const message_recorder&) = delete;

    QList<box> boxes;
    // The titles of every box, in the order they were shown.
    QStringList titles() const;
    // Title and text of every box, for readable failure output.
    QString summary() const;

private:
    platform::message_box_handler previous;
};

} // namespace test_support
