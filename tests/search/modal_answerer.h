#pragma once
// Answers the yes/no window through its own buttons: polls for the active modal widget and
// clicks the chosen button, keeping each question it was asked.

#include <QApplication>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "w_da_ne.h"

class modal_answerer {
public:
    // button_name: "cb_da" or "cb_ne".
    explicit modal_answerer(QString button_name) : button(std::move(button_name))
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] { answer(); });
        timer.start();
    }

    QStringList questions;

private:
    void answer()
    {
        auto* dialog = qobject_cast<w_da_ne*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        questions << dialog->mle_tekst->toPlainText();
        QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
    }

    QString button;
    QTimer timer;
};
