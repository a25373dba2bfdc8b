#pragma once
// What an import would do: every entry it would add under which number, or every problem that
// keeps it from running, each with the place it was found. Nothing here touches a database.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "faq_rows.h"

namespace import_plan {

// An entry to bring in, before its number is checked.
struct candidate {
    QString place;             // "line 12", "row 3": where it was found, for the messages
    std::optional<qint64> rbr; // no value when the number is not a whole number
    QString rbr_text;          // as written, for the messages
    faq_rows::entry entry;     // the texts (rbr is set by the plan)
};

struct plan {
    std::vector<faq_rows::entry> rows; // to add, in the file's order
    QStringList problems;              // each refuses the whole import
    QStringList renumbered;            // "line 12: number 7 is taken, added as 41"
};

// The entries of a CSV file's bytes in the given encoding: columns by the names of the header
// (the date may be missing: today's date then), each record with as many fields as the header.
// Problems of the file itself go into `problems`.
std::vector<candidate> read_csv(QByteArrayView data, const QString& encoding, const QString& today,
                                QStringList& problems);

// Checks the numbers against the range an entry's number has (1 to 32767), against each other
// and against the numbers already taken. With renumber, a number taken (or met earlier in the
// file) gets the next free number instead of being a problem.
plan make(std::vector<candidate> candidates, const std::vector<int>& taken, bool renumber, QStringList problems = {});

} // namespace import_plan
