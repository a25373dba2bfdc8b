#pragma once
// The word search's order, the same whatever database found the entries: an entry is listed
// when every typed word begins a word in one of its five fields, and entries that hold the words
// better come first. For each typed word its best place counts: a whole word above a word's
// beginning, in the question or the keywords above the product and LOT, and those above the
// answer; the exact spelling (diacritics as typed) above one without them. Equal entries keep
// the order of their numbers.

#include <QString>
#include <QStringList>
#include <vector>

namespace words {

struct hit {
    int rbr = 0;
    int score = 0;
    QString proizvod;
    QString pitanje;
    QString odgovor; // the whole answer (the list shows a snippet of it)
};

// Up to about `width` characters of the answer around its first word that begins with a typed
// one (its start when none does), on one line, "…" where it is cut.
QString snippet(const QString& answer, const QStringList& typed, qsizetype width = 120);

} // namespace words
