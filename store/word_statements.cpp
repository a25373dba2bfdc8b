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

void candidates(transaction& sqlca, const QStringList& words, std::vector<candidate>& found)
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
        if (is_sqlite(connection.handle())) {
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
        const std::optional<store_error> error = statement.each_row([&](odbc_statement& row) {
            std::optional<std::int64_t> rbr;
            candidate& c = found.emplace_back();
            if (!row.number(1, rbr) || !row.text(2, c.texts.adresa) || !row.text(3, c.texts.pitanje)
                || !row.text(4, c.texts.proizvod) || !row.text(5, c.texts.lot) || !row.text(6, c.texts.odgovor))
                return false;
            c.rbr = static_cast<int>(rbr.value_or(0));
            return true;
        });
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

} // namespace word_statements
