#pragma once
// What to mark in an entry: the search texts that listed it, each with the columns it was
// searched in. The entry window and the result list ask it for the marks of one field.

#include <QString>
#include <QStringList>
#include <vector>

#include "like_marks.h"

namespace marks {

class rule {
public:
    // A search text matched in these columns ("pitanje", "proizvod", "lot", "odgovor", "adresa").
    void add(const QString& typed, const QStringList& columns);
    // Words found by the word search: each word of the columns that begins with one of them.
    void add_words(const QStringList& typed, const QStringList& columns);

    // The marks in the text of one column, sorted and joined.
    std::vector<range> in(const QString& column, const QString& text) const;

    bool empty() const { return criteria.empty(); }

private:
    struct criterion {
        QString typed;
        QStringList columns;
        QStringList words; // a word search's, instead of `typed`
    };
    std::vector<criterion> criteria;
};

} // namespace marks
