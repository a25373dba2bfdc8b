// A client that saves entries through the real entry window as fast as it can, new ones and
// changes of the one before, and reports each save on stdout once its commit has returned.
// The crash test kills it with SIGKILL somewhere in that stream.
//   reliability_crash_writer FIRST_SEQUENCE
// Runs on the data source "FAQ" of the environment it inherits (offscreen platform).

#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "crash_entry.h"
#include "multiline_edit.h"
#include "platform.h"
#include "tarvo.h"
#include "test_app.h"
#include "w_main.h"
#include "w_search.h"

namespace {

void fill(w_main& window, const statements::entry_texts& entry)
{
    window.mle_adresa->setPlainText(entry.adresa);
    window.mle_question->setPlainText(entry.pitanje);
    window.em_proizvod->setText(entry.proizvod);
    window.em_lot->setText(entry.lot);
    window.mle_odgovor->setPlainText(entry.odgovor);
}

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
    platform::set_message_box_handler([](const QString& title, const QString& text) {
        std::fprintf(stderr, "message box [%s] %s\n", qPrintable(title), qPrintable(text));
        std::exit(3);
    });
    tarvo app;
    test_support::make_app(app);
    app.w_search = new w_search(app);

    std::optional<int> previous;
    int previous_sequence = 0;
    for (int i = 0; i < 100000; ++i) {
        const int sequence = first + i;
        if (previous && i % 3 == 2) {
            app.open_w_main(QString::number(*previous));
            fill(*app.w_main, reliability::crash_entry(previous_sequence, 2));
            save(app);
            report(*previous, 2, previous_sequence);
        } else {
            app.open_w_main(QStringLiteral("0"));
            const int rbr = app.w_main->sle_rbr->text().toInt();
            fill(*app.w_main, reliability::crash_entry(sequence, 1));
            save(app);
            report(rbr, 1, sequence);
            previous = rbr;
            previous_sequence = sequence;
        }
    }
    return 0;
}
