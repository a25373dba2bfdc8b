#include "progress.h"

#include <cstdio>
#include <unistd.h>

namespace {
// Runs shorter than this end before anyone would wait for them.
constexpr qsizetype long_run = 500;
} // namespace

progress::progress(QString what, qsizetype total)
    : label(std::move(what)), all(total), on_terminal(total >= long_run && isatty(STDERR_FILENO) == 1)
{
    show();
}

progress::~progress()
{
    if (on_terminal)
        std::fputs("\r\033[K", stderr);
}

void progress::step()
{
    ++done;
    // A hundred updates in all, and the last.
    if (done == all || (done - shown) * 100 >= all)
        show();
}

void progress::show()
{
    if (!on_terminal)
        return;
    shown = done;
    std::fprintf(stderr, "\r%s: %lld of %lld", qPrintable(label), static_cast<long long>(done),
                 static_cast<long long>(all));
    std::fflush(stderr);
}
