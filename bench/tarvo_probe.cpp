// The program as it starts (the same sequence as its process entry), with a probe that reports
// on standard output:
//   tarvo_probe shown    "shown" once the search window is painted, then ends;
//   tarvo_probe listed   then clicks "Search" with both criteria empty (every entry), and reports
//                        "listed N" once the N rows are painted in the list, then ends;
//   tarvo_probe stages   the start-up step by step, in ms from the start of main: "stages
//                        application=A connected=C window=W painted=P", then ends.

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <cstdio>
#include <cstring>

#include "dw_pretraga.h"
#include "first_paint.h"
#include "paint_counter.h"
#include "platform.h"
#include "tarvo.h"
#include "w_search.h"

int main(int argc, char* argv[])
{
    QElapsedTimer since_main;
    since_main.start();
    const auto ms = [&since_main] { return static_cast<double>(since_main.nsecsElapsed()) / 1e6; };
    const bool list_all = argc > 1 && std::strcmp(argv[1], "listed") == 0;
    const bool stages = argc > 1 && std::strcmp(argv[1], "stages") == 0;
    QApplication application(argc, argv);
    const double application_ms = ms();
    // A message box would wait for a click that never comes.
    platform::set_message_box_handler([](const QString& title, const QString& text, const QString&) {
        std::fprintf(stderr, "tarvo_probe: message box [%s] %s\n", qPrintable(title), qPrintable(text));
    });
    tarvo app;
    app.create();
    // The steps of tarvo::open, timed: connect, then the search window.
    app.connect_sqlca();
    const double connected_ms = ms();
    app.w_search = new w_search(app);
    app.w_search->show();
    const double window_ms = ms();
    after_first_paint(app.w_search, [&] {
        if (stages) {
            std::printf("stages application=%.1f connected=%.1f window=%.1f painted=%.1f\n", application_ms,
                        connected_ms, window_ms, ms());
        } else if (!list_all) {
            std::fputs("shown\n", stdout);
        } else {
            w_search& window = *app.w_search;
            paint_counter painted(window.dw_search->viewport());
            const int before = painted.count();
            window.cb_search_clicked();
            painted.wait_for_paint_after(before);
            std::printf("listed %d\n", window.pretraga->rowCount());
        }
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    const int result = QApplication::exec();
    app.destroy();
    return result;
}
