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
        for (;;) {
            switch (statement.fetch()) {
            case odbc_statement::fetched::failed:
                sqlca.report_failure(statement.error());
                return;
            case odbc_statement::fetched::end:
                sqlca.report_success(found.empty() ? transaction::not_found : transaction::success);
                return;
            case odbc_statement::fetched::row:
                break;
            }
            std::optional<std::int64_t> rbr;
            candidate& c = found.emplace_back();
            if (!statement.number(1, rbr) || !statement.text(2, c.texts.adresa) || !statement.text(3, c.texts.pitanje)
                || !statement.text(4, c.texts.proizvod) || !statement.text(5, c.texts.lot)
                || !statement.text(6, c.texts.odgovor)) {
                sqlca.report_failure(statement.error());
                return;
            }
            c.rbr = static_cast<int>(rbr.value_or(0));
        }
    });
    if (sqlca.SQLCode == transaction::not_found)
        sqlca.report_success();
    if (sqlca.failed())
        found.clear();
}

} // namespace word_statements
