#include "word_statements.h"

#include "database_kind.h"
#include "odbc_statement.h"

namespace word_statements {
namespace {

// A word as an FTS5 phrase: in double quotes, a quote inside doubled; "*" after it for every
// word it begins.
QString fts5_phrase(const QString& word, bool whole)
{
    return QLatin1Char('"') + QString(word).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"')
           + (whole ? QString() : QStringLiteral("*"));
}

QString fts5_columns(field_group group)
{
    switch (group) {
    case field_group::question:
        return QStringLiteral("{adresa pitanje}");
    case field_group::product:
        return QStringLiteral("{proizvod lot}");
    case field_group::answer:
        return QStringLiteral("{odgovor}");
    }
    return {};
}

// One word's entries at the place, as one row: the word's position and the numbers joined by
// commas (NULL for none).
QString sqlite_entries_at(int position, place where)
{
    const QString index = where.exact ? QStringLiteral("faq_words_exact") : QStringLiteral("faq_words");
    return QStringLiteral("SELECT %1, group_concat(rowid) FROM %2 WHERE %2 MATCH ?").arg(position).arg(index);
}

// The words that are the typed one, or begin with it: a range of the words in byte order. The
// word is bound once for a whole word, twice for a beginning.
QString postgresql_words(bool exact, bool whole, odbc_statement& statement, const QString& word)
{
    const QString typed = exact ? QStringLiteral("faq_words_written(?)") : QStringLiteral("faq_words_fold(?)");
    statement.bind(word);
    if (whole)
        return QStringLiteral("word = (%1 COLLATE \"C\")").arg(typed);
    statement.bind(word);
    return QStringLiteral("word >= (%1 COLLATE \"C\") AND word < (%1 || chr(1114111) COLLATE \"C\")").arg(typed);
}

// One word's entries at the place, as one row (as sqlite_entries_at). As written, a group's
// words are at its place number; without diacritics they are its words as written where folding
// changes nothing (place), folded where it does (place + 3). A word typed without diacritics
// finds the same entries at the place as the search as written, which came first; so then only
// the folded words are read.
QString postgresql_entries_at(int position, place where, odbc_statement& statement, const QString& word)
{
    const int group = int(where.group);
    const QString list = QStringLiteral("SELECT %1, string_agg(rbr::text, ',') FROM ").arg(position);
    if (where.exact)
        return list + QStringLiteral("faq_word_places WHERE place = %1 AND ").arg(group)
               + postgresql_words(true, where.whole, statement, word);
    QString folded = QStringLiteral("SELECT rbr FROM faq_word_places WHERE place = %1 AND ").arg(group + 3)
                     + postgresql_words(false, where.whole, statement, word);
    QString written = QStringLiteral("SELECT rbr FROM faq_word_places WHERE place = %1 AND ").arg(group)
                      + postgresql_words(false, where.whole, statement, word);
    statement.bind(word);
    statement.bind(word);
    written += QStringLiteral(" AND faq_words_written(?) <> faq_words_fold(?)");
    return list + QStringLiteral("(") + folded + QStringLiteral(" UNION ALL ") + written + QStringLiteral(") w");
}

// The words kept are shorter than 2 KB; a longer typed word is in no entry.
bool too_long_for_postgresql(const QString& word) { return word.toUtf8().size() >= 2048; }

std::vector<int> numbers_of(const QString& joined)
{
    std::vector<int> numbers;
    for (const QStringView part : QStringView(joined).split(QLatin1Char(','), Qt::SkipEmptyParts))
        numbers.push_back(part.toInt());
    return numbers;
}

// Runs a read made by `prepare` (which binds the values and gives the text) and hands each row
// to `row`; sqlca reports the outcome.
void read(transaction& sqlca, const std::function<QString(odbc_statement&, bool sqlite)>& prepare,
          const std::function<bool(odbc_statement&)>& row)
{
    sqlca.run_read([&](odbc_connection& connection) {
        odbc_statement statement(connection);
        if (!statement.execute(prepare(statement, is_sqlite(connection.handle())))) {
            sqlca.report_failure(statement.error());
            return;
        }
        if (const std::optional<store_error> error = statement.each_row(row))
            sqlca.report_failure(*error);
        else
            sqlca.report_success();
    });
}

} // namespace

void entries_at(transaction& sqlca, const QStringList& words, place where, std::vector<std::vector<int>>& lists)
{
    lists.assign(std::size_t(words.size()), {});
    if (words.isEmpty()) {
        sqlca.report_success();
        return;
    }
    read(
        sqlca,
        [&](odbc_statement& statement, bool sqlite) {
            lists.assign(std::size_t(words.size()), {});
            QStringList parts;
            for (qsizetype i = 0; i < words.size(); ++i) {
                if (sqlite) {
                    parts << sqlite_entries_at(int(i), where);
                    statement.bind(fts5_columns(where.group) + QStringLiteral(" : ")
                                   + fts5_phrase(words[i], where.whole));
                } else if (!too_long_for_postgresql(words[i])) {
                    parts << postgresql_entries_at(int(i), where, statement, words[i]);
                }
            }
            return parts.isEmpty() ? QStringLiteral("SELECT 0, NULL") : parts.join(QStringLiteral(" UNION ALL "));
        },
        [&](odbc_statement& row) {
            std::optional<std::int64_t> position;
            QString joined;
            if (!row.number(1, position) || !row.text(2, joined))
                return false;
            if (position && *position >= 0 && *position < words.size())
                lists[std::size_t(*position)] = numbers_of(joined);
            return true;
        });
    if (sqlca.failed())
        lists.assign(std::size_t(words.size()), {});
}

bool every_word_found(transaction& sqlca, const QStringList& words)
{
    bool found = false;
    read(
        sqlca,
        [&](odbc_statement& statement, bool sqlite) {
            QStringList each;
            for (const QString& w : words) {
                if (sqlite) {
                    each << QStringLiteral("EXISTS (SELECT 1 FROM faq_words WHERE faq_words MATCH ?)");
                    statement.bind(fts5_phrase(w, false));
                    continue;
                }
                if (too_long_for_postgresql(w))
                    return QStringLiteral("SELECT 0");
                each << QStringLiteral("EXISTS (SELECT 1 FROM faq_word_places WHERE place IN (0, 1, 2, 3, 4, 5) AND ")
                            + postgresql_words(false, false, statement, w) + QLatin1Char(')');
            }
            return each.isEmpty() ? QStringLiteral("SELECT 0")
                                  : QStringLiteral("SELECT CASE WHEN ") + each.join(QStringLiteral(" AND "))
                                        + QStringLiteral(" THEN 1 ELSE 0 END");
        },
        [&](odbc_statement& row) {
            std::optional<std::int64_t> all;
            if (!row.number(1, all))
                return false;
            found = all.value_or(0) == 1;
            return true;
        });
    return found && !sqlca.failed();
}

void listed_texts(transaction& sqlca, const std::vector<int>& numbers, std::vector<listed_entry>& found)
{
    found.clear();
    if (numbers.empty()) {
        sqlca.report_success();
        return;
    }
    read(
        sqlca,
        [&](odbc_statement&, bool) {
            found.clear();
            QStringList listed;
            for (const int rbr : numbers)
                listed << QString::number(rbr);
            return QStringLiteral("SELECT rbr, proizvod, pitanje, odgovor FROM faq WHERE rbr IN (")
                   + listed.join(QLatin1Char(',')) + QLatin1Char(')');
        },
        [&](odbc_statement& row) {
            std::optional<std::int64_t> rbr;
            listed_entry& e = found.emplace_back();
            if (!row.number(1, rbr) || !row.text(2, e.proizvod) || !row.text(3, e.pitanje) || !row.text(4, e.odgovor))
                return false;
            e.rbr = int(rbr.value_or(0));
            return true;
        });
    if (sqlca.failed())
        found.clear();
}

} // namespace word_statements
