#include "word_statements.h"

#include "database_kind.h"
#include "odbc_statement.h"

namespace word_statements {

QString sqlite_match(const QStringList& words)
{
    QStringList terms;
    for (const QString& w : words)
        terms << QLatin1Char('"') + QString(w).replace(QLatin1Char('"'), QStringLiteral("\"\""))
                     + QStringLiteral("\"*");
    return terms.join(QStringLiteral(" AND "));
}

namespace {

// One typed word's points in the SQLite statement: its best place, found through the two FTS5
// indexes (faq_words without diacritics, faq_words_exact with them) by column group and as a
// whole word ("w") or a word's beginning ("w"*), tried from the best place down.
struct sqlite_tier {
    const char16_t* index;
    const char16_t* columns;
    bool whole;
    int points;
};
constexpr sqlite_tier sqlite_tiers[] = {
    {u"faq_words_exact", u"{adresa pitanje}", true, 125}, {u"faq_words", u"{adresa pitanje}", true, 120},
    {u"faq_words_exact", u"{proizvod lot}", true, 115},   {u"faq_words", u"{proizvod lot}", true, 110},
    {u"faq_words_exact", u"{odgovor}", true, 105},        {u"faq_words", u"{odgovor}", true, 100},
    {u"faq_words_exact", u"{adresa pitanje}", false, 75}, {u"faq_words", u"{adresa pitanje}", false, 70},
    {u"faq_words_exact", u"{proizvod lot}", false, 65},   {u"faq_words", u"{proizvod lot}", false, 60},
    {u"faq_words_exact", u"{odgovor}", false, 55},
};
constexpr int sqlite_last_points = 50; // a word's beginning in the answer, without its diacritics

QString phrase(const QString& word)
{
    return QLatin1Char('"') + QString(word).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

QString sqlite_best_text(const QStringList& words, int limit, QStringList& parameters)
{
    parameters.clear();
    QStringList scores;
    for (const QString& w : words) {
        QString score = QStringLiteral("CASE");
        for (const sqlite_tier& tier : sqlite_tiers) {
            const QString index = QString::fromUtf16(tier.index);
            score += QStringLiteral(" WHEN rowid IN (SELECT rowid FROM %1 WHERE %1 MATCH ?) THEN %2")
                         .arg(index)
                         .arg(tier.points);
            parameters << QString::fromUtf16(tier.columns) + QStringLiteral(" : ") + phrase(w)
                              + (tier.whole ? QString() : QStringLiteral("*"));
        }
        scores << score + QStringLiteral(" ELSE %1 END").arg(sqlite_last_points);
    }
    parameters << sqlite_match(words);
    return QString::fromUtf16(sqlite_best_select) + scores.join(QStringLiteral(" + "))
           + QString::fromUtf16(sqlite_best_from) + QString::number(limit) + QString::fromUtf16(sqlite_best_join);
}

namespace {

// Reads the rows of an executed candidates statement: rbr and the five texts.
std::optional<store_error> read_candidates(odbc_statement& statement, std::vector<candidate>& found)
{
    return statement.each_row([&](odbc_statement& row) {
        std::optional<std::int64_t> rbr;
        candidate& c = found.emplace_back();
        if (!row.number(1, rbr) || !row.text(2, c.texts.adresa) || !row.text(3, c.texts.pitanje)
            || !row.text(4, c.texts.proizvod) || !row.text(5, c.texts.lot) || !row.text(6, c.texts.odgovor))
            return false;
        c.rbr = static_cast<int>(rbr.value_or(0));
        return true;
    });
}

// Reads the rows of the ranked SQLite statement: rbr, product, question, answer and points.
std::optional<store_error> read_best(odbc_statement& statement, std::vector<candidate>& found)
{
    return statement.each_row([&](odbc_statement& row) {
        std::optional<std::int64_t> rbr;
        std::optional<std::int64_t> score;
        candidate& c = found.emplace_back();
        if (!row.number(1, rbr) || !row.text(2, c.texts.proizvod) || !row.text(3, c.texts.pitanje)
            || !row.text(4, c.texts.odgovor) || !row.number(5, score))
            return false;
        c.rbr = static_cast<int>(rbr.value_or(0));
        c.score = static_cast<int>(score.value_or(0));
        return true;
    });
}

// Runs the word search's read: ranked by SQLite itself (at most `limit` + 1 rows), every
// candidate unranked on PostgreSQL (limit 0: every candidate on both).
void read(transaction& sqlca, const QStringList& words, int limit, std::vector<candidate>& found)
{
    found.clear();
    if (words.isEmpty()) {
        sqlca.report_success();
        return;
    }
    sqlca.run_read([&](odbc_connection& connection) {
        found.clear();
        odbc_statement statement(connection);
        QString text;
        const bool ranked = limit > 0 && is_sqlite(connection.handle());
        if (ranked) {
            QStringList parameters;
            text = sqlite_best_text(words, limit + 1, parameters);
            for (const QString& p : parameters)
                statement.bind(p);
        } else if (is_sqlite(connection.handle())) {
            text = QString::fromUtf16(sqlite_candidates_text);
            statement.bind(sqlite_match(words));
        } else {
            QStringList conditions;
            for (const QString& w : words) {
                conditions << QString::fromUtf16(postgresql_word_condition);
                statement.bind(w);
            }
            text = QString::fromUtf16(postgresql_candidates_text) + conditions.join(QStringLiteral(" AND "));
        }
        if (!statement.execute(text)) {
            sqlca.report_failure(statement.error());
            return;
        }
        const std::optional<store_error> error =
            ranked ? read_best(statement, found) : read_candidates(statement, found);
        if (error)
            sqlca.report_failure(*error);
        else
            sqlca.report_success(found.empty() ? transaction::not_found : transaction::success);
    });
    if (sqlca.SQLCode == transaction::not_found)
        sqlca.report_success();
    if (sqlca.failed())
        found.clear();
}

} // namespace

void candidates(transaction& sqlca, const QStringList& words, std::vector<candidate>& found)
{
    read(sqlca, words, 0, found);
}

void best(transaction& sqlca, const QStringList& words, int limit, std::vector<candidate>& found)
{
    read(sqlca, words, limit, found);
}

} // namespace word_statements
