#include "database_wait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

namespace database_wait {
namespace {

// Most statements answer well within this; the waiting window would only flicker.
constexpr int indicator_delay_ms = 1000;
// How long a cancelled statement may take to stop before it is left to finish by itself.
constexpr int cancel_grace_ms = 2000;

// The end of the call, as the waiting thread sees it. Only that thread touches it.
struct completion {
    QEventLoop* loop = nullptr;
};

// While a call runs, no window closes: the handler that waits still works with it.
class hold_windows final : public QObject {
public:
    explicit hold_windows(const QWidget*& allowed) : exempt(allowed) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close || !watched->isWidgetType() || watched == exempt)
            return false;
        event->ignore();
        return true;
    }

private:
    const QWidget*& exempt;
};

class waiting_window final : public QDialog {
public:
    explicit waiting_window(bool cancellable)
    {
        setObjectName(window_name);
        setWindowTitle(QStringLiteral("tarvo"));
        setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(this);
        text = new QLabel(QStringLiteral("Waiting for the database…"), this);
        text->setObjectName(QStringLiteral("st_waiting"));
        layout->addWidget(text);
        button = new QPushButton(QStringLiteral("Cancel"), this);
        button->setObjectName(cancel_name);
        button->setAccessibleName(QStringLiteral("Cancel the statement"));
        button->setVisible(cancellable);
        layout->addWidget(button, 0, Qt::AlignHCenter);
        connect(button, &QPushButton::clicked, this, [this] { ask_cancel(); });
    }

    std::function<void()> on_cancel;

    void cancelling()
    {
        text->setText(QStringLiteral("Cancelling…"));
        button->setEnabled(false);
    }

protected:
    // Escape and the title bar's close button mean Cancel too.
    void reject() override { ask_cancel(); }
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        ask_cancel();
    }

private:
    void ask_cancel()
    {
        if (button->isVisible() && button->isEnabled() && on_cancel)
            on_cancel();
    }

    QLabel* text = nullptr;
    QPushButton* button = nullptr;
};

wait_outcome wait_painting(const std::shared_ptr<driver_call>& call)
{
    auto state = std::make_shared<completion>();
    QEventLoop loop;
    state->loop = &loop;
    std::thread worker([call, state] {
        call->run();
        // Wakes the waiting thread; the state is read there only.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [state] {
                if (state->loop != nullptr)
                    state->loop->quit();
            },
            Qt::QueuedConnection);
    });
    const QWidget* exempt = nullptr;
    hold_windows hold(exempt);
    QCoreApplication::instance()->installEventFilter(&hold);

    QTimer::singleShot(indicator_delay_ms, &loop, &QEventLoop::quit);
    if (!call->finished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    wait_outcome outcome = wait_outcome::returned;
    if (!call->finished()) {
        // From here on the modal window keeps input from the others and takes its own.
        waiting_window window(call->may_be_left());
        exempt = &window;
        bool cancel_asked = false;
        QTimer grace;
        grace.setSingleShot(true);
        QObject::connect(&grace, &QTimer::timeout, &loop, &QEventLoop::quit);
        window.on_cancel = [&] {
            cancel_asked = true;
            window.cancelling();
            call->cancel();
            grace.start(cancel_grace_ms);
        };
        window.show();
        while (!call->finished() && !(cancel_asked && !grace.isActive()))
            loop.exec();
        window.hide();
        if (cancel_asked)
            outcome = call->finished() ? wait_outcome::cancelled : wait_outcome::left;
    }
    state->loop = nullptr;
    QCoreApplication::instance()->removeEventFilter(&hold);
    if (call->finished())
        worker.join();
    else
        worker.detach(); // it owns what it touches, and wakes nobody once it returns
    return outcome;
}

} // namespace

statement_wait in_windows()
{
    return [](const std::shared_ptr<driver_call>& call) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            call->run();
            return wait_outcome::returned;
        }
        return wait_painting(call);
    };
}

} // namespace database_wait
