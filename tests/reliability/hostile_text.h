#pragma once
// Random texts made of what breaks naive SQL and text handling: quotes, LIKE wildcards,
// backslashes, blanks, control characters, comment and statement fragments, and letters from
// outside ASCII (accents, other scripts, combining marks, characters beyond 16 bits).
// A fixed seed makes every run try the same texts.

#include <QString>
#include <QStringList>
#include <random>

namespace reliability {

class hostile_text {
public:
    explicit hostile_text(unsigned seed) : engine(seed) {}

    // A text of up to max_pieces pieces; it may be empty.
    QString next(int max_pieces)
    {
        const int pieces = pick(0, max_pieces);
        QString text;
        for (int i = 0; i < pieces; ++i)
            text += piece();
        return text;
    }

    // A text that is never empty and holds at least one apostrophe.
    QString with_apostrophe(int max_pieces)
    {
        QString text = next(max_pieces);
        qsizetype at = pick(0, static_cast<int>(text.size()));
        if (at < text.size() && text[at].isLowSurrogate())
            --at; // never between the two halves of one character
        text.insert(at, QLatin1Char('\''));
        return text;
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); }

    template <typename List>
    const auto& choose(const List& list)
    {
        return list[static_cast<std::size_t>(pick(0, static_cast<int>(list.size()) - 1))];
    }

private:
    QString piece()
    {
        switch (pick(0, 5)) {
        case 0: { // one character that has a meaning in SQL or LIKE
            static const QStringList signs = {"'", "''", "\"", "%", "_", "\\", "\\\\", "[",
                                              "]", "^",  "*",  "?", ";", "(",  ")",    ","};
            return choose(signs);
        }
        case 1: { // blanks and control characters (a typed text never holds NUL)
            const int code = pick(0, 4) == 0 ? 0x7f : pick(1, 0x1f);
            return pick(0, 2) == 0 ? QStringLiteral(" ") : QString(QChar(code));
        }
        case 2: { // letters from outside ASCII
            static const QStringList letters = {
                QStringLiteral("č"),      QStringLiteral("ć"),       QStringLiteral("ž"),      QStringLiteral("Š"),
                QStringLiteral("Đ"),      QStringLiteral("ß"),       QStringLiteral("é"),      QStringLiteral("ñ"),
                QStringLiteral("ø"),      QStringLiteral("ł"),       QStringLiteral("Ж"),      QStringLiteral("щ"),
                QStringLiteral("λ"),      QStringLiteral("Ω"),       QStringLiteral("漢字"),   QStringLiteral("ש"),
                QStringLiteral("ع"),      QStringLiteral("e\u0301"), QStringLiteral("\u200d"), QStringLiteral("\u00a0"),
                QStringLiteral("\u2028"), QStringLiteral("😀"),       QStringLiteral("𝄞")};
            return choose(letters);
        }
        case 3: { // fragments of statements
            static const QStringList fragments = {
                "--", "/*",  "*/",     "' OR '1'='1", "') OR ('x'='x", "; DROP TABLE faq; --", "\\'", "E'\\\\'",
                "$$", "%_%", "ESCAPE", "NULL",        "\\x00"};
            return choose(fragments);
        }
        default: { // plain words
            static const QStringList words = {"pump", "A12", "O'Brien", "it's", "LOT", "x", "Question", "rbr"};
            return choose(words);
        }
        }
    }

    std::mt19937 engine;
};

} // namespace reliability
