#pragma once
// The data source "FAQ" a benchmark runs on, in the tests' private unixODBC configuration (its
// own odbcinst.ini and odbc.ini in a temporary folder), so the user's files are never read or
// touched:
//   sqlite      a fresh database file in the temporary folder;
//   postgresql  database faq on the server that `scripts/pg start DIR` runs, DIR given in
//               TARVO_BENCH_PG_DIR.
// The engine's own library reaches the same database for filling and for the yardstick figures.

#include <QString>
#include <memory>
#include <string>

#include "engine.h"
#include "private_odbc.h"

namespace bench {

enum class backend { sqlite, postgresql };

// "sqlite" or "postgresql"; anything else stops the program with a message.
backend backend_from_name(const std::string& name);
const char* backend_name(backend which);

class data_source {
public:
    explicit data_source(backend which);

    backend which() const { return kind; }
    // The shipped schema of faq for this database, and of its history.
    std::string schema_sql() const;
    std::string history_sql() const;
    // The search indexes of the shared database (empty for SQLite, which has none).
    std::string search_index_sql() const;
    // The word search's index for this database.
    std::string words_sql() const;
    // A new connection through the engine's own library.
    std::unique_ptr<engine> make_engine() const;

private:
    backend kind;
    test_support::private_odbc odbc;
    QString sqlite_file;
    int pg_port = 0;
};

} // namespace bench
