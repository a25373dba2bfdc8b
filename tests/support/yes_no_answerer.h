#pragma once
// Answers the yes/no window through its own buttons as soon as it comes up, and keeps each
// question it was asked. While it lives, the yes/no window is expected.

#include <QApplication>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "unexpected_dialogs.h"

namespace test_support {

class yes_no_answerer {
public:
    // button_name: "cb_da" (YES) or "cb_ne" (NO).
    explicit yes_no_answerer(QString button_name) : button(std::move(button_name))
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] { answer(); });
        timer.start();
    }

    QStringList questions;

private:
    void answer()
    {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || !dialog->isVisible() || dialog->objectName() != QLatin1String("w_da_ne"))
            return;
        questions << dialog->findChild<QTextEdit*>(QStringLiteral("mle_tekst"))->toPlainText();
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    }

    modal_windows_expected expected;
    QString button;
    QTimer timer;
};

} // namespace test_support
