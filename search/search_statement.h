#pragma once
// The search statement, composed as text from the two criteria: each criterion is a
// contains-match on one field (or on five at once for "All"); two criteria are joined by the
// first criterion's connector.

#include <QString>
#include <functional>

namespace search {

// The column a field caption stands for; "All" and captions outside the list come back as they
// are ("All" is expanded by criterion_condition).
QString column_for_caption(const QString& caption);

// The search text as it goes inside a '...' literal: each apostrophe doubled, so the literal
// holds the text as typed. "%" and "_" are left alone and keep working as LIKE wildcards. Each
// backslash is doubled (the condition then names it as LIKE's escape, so it matches itself).
// Every other character, one beyond U+FFFF included, stands as typed.
QString literal_text(const QString& text);

// The condition of one criterion; empty when the search text is empty (the only text that
// counts as empty: blanks are searched for).
QString criterion_condition(const QString& text, const QString& caption);

// Both conditions set: "(first) AND NOT (second)" for "NOT", else "(first) <connector> (second)".
QString joined_condition(const QString& first, const QString& second, const QString& connector);

// The complete statement for a (possibly empty) condition.
QString statement_for(const QString& condition);

// The five texts the search reads.
struct criteria {
    QString text1;
    QString field1;
    QString text2;
    QString field2;
    QString connector; // the first criterion's; consulted only when both conditions are set
};

QString compose(const criteria& c);

// The same, reading each text only when it is needed, in this order: first text, first field
// (when the first text is set), second text, second field (when the second text is set),
// connector (when both conditions are set).
struct criteria_reader {
    std::function<QString()> text1;
    std::function<QString()> field1;
    std::function<QString()> text2;
    std::function<QString()> field2;
    std::function<QString()> connector;
};

QString compose(const criteria_reader& read);

} // namespace search
