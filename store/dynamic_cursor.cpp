#include "dynamic_cursor.h"

#include "odbc_statement.h"

dynamic_cursor::dynamic_cursor(transaction& session, dynamic_staging_area& staging) : sqlca(session), sqlsa(staging) {}

dynamic_cursor::~dynamic_cursor() { close(); }

void dynamic_cursor::prepare(const QString& text)
{
    sqlsa.statement = text;
    sqlca.report_success();
}

void dynamic_cursor::open()
{
    close();
    // Opening is a read: on a lost connection it runs once more on a new one.
    sqlca.run_read([this](odbc_connection& connection) {
        statement = std::make_unique<odbc_statement>(connection);
        if (statement->execute(sqlsa.statement)) {
            sqlca.report_success();
            return;
        }
        sqlca.report_failure(statement->error());
        statement.reset();
    });
}

void dynamic_cursor::fetch(statements::entry_texts& into)
{
    if (!statement) {
        sqlca.report_failure(store_error{{}, QStringLiteral("Cursor is not open.")});
        return;
    }
    switch (statement->fetch()) {
    case odbc_statement::fetched::end:
        sqlca.report_success(transaction::not_found);
        return;
    case odbc_statement::fetched::failed:
        sqlca.report_failure(statement->error());
        return;
    case odbc_statement::fetched::row:
        break;
    }
    statements::entry_texts row;
    if (!statement->text(1, row.adresa) || !statement->text(2, row.pitanje) || !statement->text(3, row.proizvod)
        || !statement->text(4, row.lot) || !statement->text(5, row.odgovor)) {
        sqlca.report_failure(statement->error());
        return;
    }
    into = std::move(row);
    sqlca.report_success();
}

void dynamic_cursor::close() { statement.reset(); }
