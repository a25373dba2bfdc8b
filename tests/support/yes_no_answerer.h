#pragma once
// Answers the yes/no window (objectName "w_da_ne") while the test acts, and keeps each question
// it was asked. While an answerer lives, the yes/no window is expected (see unexpected_dialogs.h).
//
//   yes_no_answerer no(QStringLiteral("cb_ne"));      // every window: click NO
//   yes_no_answerer script({click("cb_da"), step});   // one step per window, in order
//
// A step receives the window once it is the active modal window and must end it: click one of
// its buttons, press a key, or anything else the test does itself. In a script, a window beyond
// the last step fails the test and is closed.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>

#include "unexpected_dialogs.h"

namespace test_support {

class yes_no_answerer {
public:
    using step = std::function<void(QDialog& dialog)>;

    // A step that clicks the button called button_name: "cb_da" (YES) or "cb_ne" (NO).
    static step click(const QString& button_name);

    // Answers every yes/no window by clicking button_name.
    explicit yes_no_answerer(const QString& button_name);
    // Answers the yes/no windows one after the other with the steps of a script.
    explicit yes_no_answerer(std::deque<step> script);
    yes_no_answerer(const yes_no_answerer&) = delete;
    yes_no_answerer& operator=(const yes_no_answerer&) = delete;

    // The text of every yes/no window that came up, in order.
    QStringList questions;
    // Every step of the script was taken (always true when one button answers every window).
    bool done() const { return steps.empty(); }

private:
    void answer();

    modal_windows_expected expected;
    std::optional<step> every_window;
    std::deque<step> steps;
    QPointer<QDialog> answered; // answered once: the window may stay up a moment after its answer
    QTimer timer;
};

} // namespace test_support
