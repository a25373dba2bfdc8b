#include "yes_no_answerer.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

namespace test_support {

yes_no_answerer::step yes_no_answerer::click(const QString& button_name)
{
    return [button_name](QDialog& dialog) {
        auto* button = dialog.findChild<QPushButton*>(button_name);
        QVERIFY2(button != nullptr, qPrintable(QStringLiteral("no button ") + button_name));
        QTest::mouseClick(button, Qt::LeftButton);
    };
}

yes_no_answerer::yes_no_answerer(const QString& button_name) : every_window(click(button_name))
{
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] { answer(); });
    timer.start();
}

yes_no_answerer::yes_no_answerer(std::deque<step> script) : steps(std::move(script))
{
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] { answer(); });
    timer.start();
}

void yes_no_answerer::answer()
{
    // Active as well as modal: a step may press keys, which go to the focused button.
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible() || !dialog->isActiveWindow()
        || dialog->objectName() != QLatin1String("w_da_ne") || dialog == answered)
        return;
    answered = dialog;
    const auto* text = dialog->findChild<QTextEdit*>(QStringLiteral("mle_tekst"));
    questions << (text != nullptr ? text->toPlainText() : QString());
    if (every_window) {
        (*every_window)(*dialog);
        return;
    }
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

} // namespace test_support
