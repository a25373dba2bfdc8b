// The yardstick for start-up and memory: a bare Qt program that shows one window of the search
// window's size and reports "shown" on standard output once it is painted.
//   bare_probe shown   the window is empty;
//   bare_probe text    the window shows one line of text in Arial 10, so that the font system's
//                      own start (fontconfig, the font file) is part of the figure.

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "first_paint.h"

int main(int argc, char* argv[])
{
    const bool with_text = argc > 1 && std::strcmp(argv[1], "text") == 0;
    QApplication application(argc, argv);
    QWidget window;
    window.resize(817, 533); // the search window: 3735 x 2132 layout units at 96 dpi
    if (with_text) {
        auto* label = new QLabel(QStringLiteral("Search FAQ database"), &window);
        label->setFont(QFont(QStringLiteral("Arial"), 10));
        label->move(20, 12);
    }
    after_first_paint(&window, [] {
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    window.show();
    return QApplication::exec();
}
