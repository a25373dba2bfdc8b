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

// The places of faq_word_places that hold the words of a group: as written, or (without
// diacritics) as written where folding changes nothing and folded where it does.
QString postgresql_places(place where)
{
    const int group = int(where.group);
    return where.exact ? QStringLiteral("place = %1").arg(group)
                       : QStringLiteral("place IN (%1, %2)").arg(group).arg(group + 3);
}

// The words that are the typed one, or begin with it: a range of the words in byte order. The
// value is bound once for a whole word, twice for a beginning.
QString postgresql_words(bool exact, bool whole)
{
    const QString typed = exact ? QStringLiteral("lower(?)") : QStringLiteral("faq_words_fold(?)");
    if (whole)
        return QStringLiteral("word = (%1 COLLATE \"C\")").arg(typed);
    return QStringLiteral("word >= (%1 COLLATE \"C\") AND word < (%1 || chr(1114111) COLLATE \"C\")").arg(typed);
}

QString postgresql_entries_at(int position, place where)
{
    return QStringLiteral("SELECT %1, string_agg(rbr::text, ',') FROM faq_word_places WHERE %2 AND %3")
        .arg(position)
        .arg(postgresql_places(where), postgresql_words(where.exact, where.whole));
}

void bind_postgresql_word(odbc_statement& statement, const QString& word, bool whole)
{
    statement.bind(word);
    if (!whole)
        statement.bind(word);
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
                    parts << postgresql_entries_at(int(i), where);
                    bind_postgresql_word(statement, words[i], where.whole);
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
                            + postgresql_words(false, false) + QLatin1Char(')');
                bind_postgresql_word(statement, w, false);
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
