// A client that saves entries through the real entry window as fast as it can, new ones and
// changes of the one before, and reports each save on stdout once its commit has returned.
// The crash test kills it with SIGKILL somewhere in that stream.
//   reliability_crash_writer FIRST_SEQUENCE
// Runs on the data source "FAQ" of the environment it inherits (offscreen platform).

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "crash_entry.h"
#include "platform.h"
#include "window_driver.h"

namespace {

// Saves the open entry window; a save that does not close the window failed.
void save(tarvo& app)
{
    app.w_main->cb_save_clicked();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (app.w_main) {
        std::fprintf(stderr, "the save did not close the entry window\n");
        std::exit(4);
    }
}

void report(int rbr, int version, int sequence)
{
    std::printf("committed %d %d %d\n", rbr, version, sequence);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const int first = argc > 1 ? std::atoi(argv[1]) : 0;
    // Any message box means a save failed: that is a fault of its own, not a crash.
    platform::set_message_box_handler([](const QString& title, const QString& text, const QString&) {
        std::fprintf(stderr, "message box [%s] %s\n", qPrintable(title), qPrintable(text));
        std::exit(3);
    });
    test_support::client user;
    tarvo& app = user.app;

    std::optional<int> previous;
    int previous_sequence = 0;
    for (int i = 0; i < 100000; ++i) {
        const int sequence = first + i;
        if (previous && i % 3 == 2) {
            app.open_w_main(QString::number(*previous));
            test_support::set_texts(app.w_main, reliability::crash_entry(previous_sequence, 2));
            save(app);
            report(*previous, 2, previous_sequence);
        } else {
            app.open_w_main(QStringLiteral("0"));
            const int rbr = app.w_main->sle_rbr->text().toInt();
            test_support::set_texts(app.w_main, reliability::crash_entry(sequence, 1));
            save(app);
            report(rbr, 1, sequence);
            previous = rbr;
            previous_sequence = sequence;
        }
    }
    return 0;
}
