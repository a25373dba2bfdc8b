#pragma once
// Acts on a modal dialog of the program as soon as it comes up, through its own widgets, once
// each time it is opened, and counts how often that was. While it lives, modal windows are
// expected.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "unexpected_dialogs.h"

namespace test_support {

class modal_driver {
public:
    // name: the dialog's objectName; act: what the user does in it (it may leave it open).
    modal_driver(QString name, std::function<void(QDialog*)> act) : dialog_name(std::move(name)), action(std::move(act))
    {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] { look(); });
        timer.start();
    }

    int opened = 0;

private:
    void look()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || dialog->objectName() != dialog_name || dialog == handled)
            return;
        handled = dialog;
        ++opened;
        action(dialog);
    }

    modal_windows_expected expected;
    QString dialog_name;
    std::function<void(QDialog*)> action;
    QPointer<QDialog> handled;
    QTimer timer;
};

} // namespace test_support
