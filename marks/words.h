#pragma once
// Words as the word search sees them: runs of letters and digits (a mark joined to its letter),
// compared with the case of every letter and every diacritic ignored ("sum" finds "Šum"), as the
// databases' word indexes compare them. A typed word finds every word that begins with it.

#include <QString>
#include <QStringList>
#include <vector>

#include "like_marks.h"

namespace marks {

struct word {
    range place;
    QString exact;  // case folded
    QString folded; // case folded, diacritics removed
};

// Case folded, and with every diacritic that decomposes from its letter removed ("Ćup" → "cup";
// "đ" has none to remove and stays).
QString fold_word(const QString& text);

std::vector<word> words_of(const QString& text);

// The words typed, each case folded, in the order typed, repeats dropped.
QStringList typed_words(const QString& typed);

// A whole text folded both ways, for finding words in it without splitting it into words.
struct folded_field {
    QString exact;  // case folded
    QString folded; // case folded, diacritics removed
};
folded_field fold_text(const QString& text);

// Where a word stands in a folded text at its best: as a whole word, as a word's beginning, or
// nowhere.
enum place { nowhere = 0, word_beginning = 1, whole_word = 2 };
int word_place(const QString& text, const QString& word);

// The words of the text that begin with one of the typed words (as typed_words gives them).
std::vector<range> word_ranges(const QString& text, const QStringList& typed);

} // namespace marks
