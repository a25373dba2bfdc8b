#pragma once
// "Importing: 1200 of 32767" on one line of a terminal while a long run goes on; nothing when
// the output goes to a file or a pipe, or the run is short.

#include <QString>

class progress {
public:
    progress(QString what, qsizetype total);
    ~progress();
    void step();

private:
    void show();

    QString label;
    qsizetype all = 0;
    qsizetype done = 0;
    qsizetype shown = -1;
    bool on_terminal = false;
};
