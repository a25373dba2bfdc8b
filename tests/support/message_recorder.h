#pragma once
// Answers message boxes instead of showing them, and keeps what they said. While one lives,
// message boxes are expected (see unexpected_dialogs.h).

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform.h"

namespace test_support {

class message_recorder {
public:
    struct box {
        QString title;
        QString text;
        QString details; // behind "Show Details..."
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

    // Runs `meanwhile` while the first box titled `title` is on the screen: the one moment
    // between two statements that a test can reach from outside.
    void when_shown(const QString& title, std::function<void()> meanwhile);

    // Message boxes are unexpected again from here on: the guard fails the test on any box, as
    // it does once the recorder is gone. What was recorded stays.
    void stop();

private:
    bool recording = true;
    platform::message_box_handler previous;
    QString trigger;
    std::function<void()> action;
};

} // namespace test_support
