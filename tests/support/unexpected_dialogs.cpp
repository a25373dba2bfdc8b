
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

#include "platform.h"
#include "unexpected_dialogs.h"

namespace test_support {
namespace {

int expected_modal_windows = 0;

void fail_now(const QString& what)
{
    // Recorded against the running test function; the test goes on to its end.
    QTest::qFail(qPrintable(what), __FILE__, __LINE__);
}

// What a modal window says: its title and the first text it shows.
QString describe(QWidget* window)
{
    QString text;
    if (const auto* edit = window->findChild<QTextEdit*>())
        text = edit->toPlainText();
    else if (const auto* label = window->findChild<QLabel*>())
        text = label->text();
    return QStringLiteral("%1 \"%2\": %3")
        .arg(QString::fromLatin1(window->metaObject()->className()), window->windowTitle(), text.trimmed());
}

// How long a modal window that the test expects may wait for its answer.
constexpr qint64 answer_deadline_ms = 20000;

void close_modal_window(QWidget* window)
{
    // done() ends exec() even where reject() is refused (the yes/no window ignores Escape).
    if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->done(QDialog::Rejected);
    else
        window->close();
}

void watch_modal_windows()
{
    static QPointer<QWidget> waiting;
    static QElapsedTimer waiting_since;
    QWidget* window = QApplication::activeModalWidget();
    // The window that says the program waits for the database asks nothing: a slow statement
    // on a busy machine brings it up in any test.
    if (window == nullptr || !window->isVisible() || window->objectName() == QLatin1String("w_waiting")) {
        waiting = nullptr;
        return;
    }
    if (window != waiting) {
        waiting = window;
        waiting_since.start();
    }
    if (expected_modal_windows == 0) {
        fail_now(QStringLiteral("unexpected modal window ") + describe(window));
        close_modal_window(window);
    } else if (QTest::currentTestFailed()) {
        // The test failed while the window was up (its answer never came): let the test end.
        close_modal_window(window);
    } else if (waiting_since.elapsed() > answer_deadline_ms) {
        fail_now(QStringLiteral("modal window left unanswered ") + describe(window));
        close_modal_window(window);
    }
}

} // namespace

void guard_against_unexpected_dialogs()
{
    platform::set_message_box_handler([](const QString& title, const QString& text, const QString&) {
        fail_now(QStringLiteral("unexpected message box [%1] %2").arg(title, text));
    });
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return; // no windows without widgets
    auto* watch = new QTimer(QCoreApplication::instance());
    watch->setInterval(10);
    QObject::connect(watch, &QTimer::timeout, &watch_modal_windows);
    watch->start();
}

modal_windows_expected::modal_windows_expected() { ++expected_modal_windows; }

modal_windows_expected::~modal_windows_expected() { --expected_modal_windows; }

} // namespace test_support
