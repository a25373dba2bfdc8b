#include "dynamic_cursor.h"

#include <QSqlError>
#include <QVariant>

dynamic_cursor::dynamic_cursor(transaction& session, dynamic_staging_area& staging)
    : sqlca(session), sqlsa(staging)
{
}

dynamic_cursor::~dynamic_cursor() { close(); }

void dynamic_cursor::prepare(const QString& text)
{
    sqlsa.statement = text;
    sqlca.succeeded();
}

void dynamic_cursor::open()
{
    close();
    if (sqlca.refuse_when_not_connected())
        return;
    query.emplace(sqlca.database());
    query->setForwardOnly(true);
    if (!query->exec(sqlsa.statement)) {
        sqlca.failed(query->lastError());
        close();
        return;
    }
    sqlca.succeeded();
}

void dynamic_cursor::fetch(statements::entry_texts& into)
{
    if (!query) {
        sqlca.failed(QStringLiteral("Cursor is not open."));
        return;
    }
    if (!query->next()) {
        if (query->lastError().isValid())
            sqlca.failed(query->lastError());
        else
            sqlca.succeeded(transaction::not_found);
        return;
    }
    into.adresa = query->value(0).toString();
    into.pitanje = query->value(1).toString();
    into.proizvod = query->value(2).toString();
    into.lot = query->value(3).toString();
    into.odgovor = query->value(4).toString();
    sqlca.succeeded();
}

void dynamic_cursor::close()
{
    if (!query)
        return;
    query->finish();
    query.reset();
    sqlca.read_done();
}
