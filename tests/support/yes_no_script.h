#pragma once
// Answers the yes/no windows that come up, one after the other, with the steps of a script:
// click one of its buttons, or anything the test does itself (which ends the window). Keeps each
// question it was asked; a window beyond the script fails the test and is closed.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <deque>
#include <functional>

#include "unexpected_dialogs.h"

namespace test_support {

class yes_no_script {
public:
    using step = std::function<void(QDialog& dialog)>;

    // button_name: "cb_da" (YES) or "cb_ne" (NO).
    static step click(const QString& button_name)
    {
        return [button_name](QDialog& dialog) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(button_name), Qt::LeftButton);
        };
    }

    explicit yes_no_script(std::deque<step> script) : steps(std::move(script))
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] { answer(); });
        timer.start();
    }

    QStringList questions;
    // Every step was taken.
    bool done() const { return steps.empty(); }

private:
    void answer()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || dialog->objectName() != QLatin1String("w_da_ne")
            || dialog == answered)
            return;
        answered = dialog; // once: the window may stay up a moment after its answer
        questions << dialog->findChild<QTextEdit*>(QStringLiteral("mle_tekst"))->toPlainText();
        if (steps.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("yes/no window beyond the script: ") + questions.last()), __FILE__,
                         __LINE__);
            dialog->done(QDialog::Rejected);
            return;
        }
        const step next = std::move(steps.front());
        steps.pop_front();
        next(*dialog);
    }

    modal_windows_expected expected;
    std::deque<step> steps;
    QPointer<QDialog> answered; // cleared when that window is gone
    QTimer timer;
};

} // namespace test_support
