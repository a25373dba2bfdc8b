#pragma once
// A cursor over a composed select, prepared in a staging area (`sqlsa`) and fetched row by
// row into the five entry texts: the way the entry window loads one entry.

#include <QString>
#include <memory>

#include "statements.h"
#include "transaction.h"

class odbc_statement;

// `sqlsa`: holds the text of the prepared dynamic statement.
struct dynamic_staging_area {
    QString statement;
};

class dynamic_cursor {
public:
    dynamic_cursor(transaction& sqlca, dynamic_staging_area& sqlsa);
    ~dynamic_cursor();
    dynamic_cursor(const dynamic_cursor&) = delete;
    dynamic_cursor& operator=(const dynamic_cursor&) = delete;

    // PREPARE sqlsa FROM text; OPEN the cursor. SQLCode tells whether it opened.
    void prepare(const QString& text);
    void open();
    // FETCH into the five texts: SQLCode 0 with a row, 100 after the last, -1 on failure.
    void fetch(statements::entry_texts& into);
    // CLOSE: frees the statement.
    void close();

private:
    transaction& sqlca;
    dynamic_staging_area& sqlsa;
    std::unique_ptr<odbc_statement> statement;
};
