#include "words.h"

#include <algorithm>

namespace marks {
namespace {

bool in_word(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate() || c.category() == QChar::Other_PrivateUse;
}

} // namespace

QString fold_word(const QString& text)
{
    // Most words are ASCII: nothing to decompose.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLower();
    const QString decomposed = text.toCaseFolded().normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (!c.isMark())
            folded += c;
    return folded.normalized(QString::NormalizationForm_C);
}

std::vector<word> words_of(const QString& text)
{
    std::vector<word> found;
    for (qsizetype i = 0; i < text.size();) {
        if (!in_word(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < text.size() && in_word(text[i]))
            ++i;
        const QString w = text.mid(start, i - start);
        const bool ascii = std::all_of(w.begin(), w.end(), [](QChar c) { return c.unicode() < 0x80; });
        const QString exact = ascii ? w.toLower() : w.toCaseFolded().normalized(QString::NormalizationForm_C);
        found.push_back({{start, i - start}, exact, ascii ? exact : fold_word(w)});
    }
    return found;
}

folded_field fold_text(const QString& text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        const QString lower = text.toLower();
        return {lower, lower};
    }
    return {text.toCaseFolded().normalized(QString::NormalizationForm_C), fold_word(text)};
}

int word_place(const QString& text, const QString& word)
{
    int best = nowhere;
    if (word.isEmpty())
        return best;
    for (qsizetype at = text.indexOf(word); at >= 0 && best != whole_word; at = text.indexOf(word, at + 1)) {
        if (at > 0 && in_word(text[at - 1]))
            continue;
        const qsizetype end = at + word.size();
        best = std::max<int>(best, end == text.size() || !in_word(text[end]) ? whole_word : word_beginning);
    }
    return best;
}

QStringList typed_words(const QString& typed)
{
    QStringList words;
    for (const word& w : words_of(typed))
        if (!words.contains(w.exact))
            words << w.exact;
    return words;
}

std::vector<range> word_ranges(const QString& text, const QStringList& typed)
{
    QStringList folded;
    for (const QString& t : typed)
        folded << fold_word(t);
    std::vector<range> found;
    for (const word& w : words_of(text))
        for (const QString& f : folded)
            if (w.folded.startsWith(f)) {
                found.push_back(w.place);
                break;
            }
    return found;
}

} // namespace marks
