#pragma once
// A real test database behind the data source "FAQ": a fresh SQLite file, or the test
// PostgreSQL cluster that CTest starts. One fixture per test process.

#include <QSqlDatabase>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "private_odbc.h"
#include "statements.h"

namespace test_support {

enum class backend { sqlite, postgresql };

// TARVO_TEST_BACKEND=sqlite|postgresql; SQLite when unset.
backend current_backend();
QString backend_name(backend which);

// The project's source folder (TARVO_SOURCE_DIR, set by CTest).
QString source_dir();

// Five texts that name the entry they belong to: "<tag> keywords", "<tag> question", and so on.
statements::entry_texts sample_entry(const QString& tag);

class faq_fixture {
public:
    explicit faq_fixture(backend which = current_backend());
    ~faq_fixture();
    faq_fixture(const faq_fixture&) = delete;
    faq_fixture& operator=(const faq_fixture&) = delete;

    struct row {
        int rbr = 0;
        QString adresa, pitanje, datum, proizvod, lot, odgovor;
        // The five texts the entry window shows.
        statements::entry_texts texts() const { return {adresa, pitanje, proizvod, lot, odgovor}; }
    };

    // Empties faq and its history.
    void clear();
    void insert(int rbr, const QString& adresa, const QString& pitanje, const QString& datum, const QString& proizvod,
                const QString& lot, const QString& odgovor);
    void insert(int rbr, const statements::entry_texts& entry, const QString& datum);
    // An entry told apart by its question and product alone: keywords "keys", dated 01/02/2020,
    // LOT "LOT-1", answer "answer".
    void insert_question(int rbr, const QString& pitanje, const QString& proizvod = QStringLiteral("Pump P-1"));
    void load_sample_entries();
    // Entries 1..rows made by the database from a few words, some with Croatian letters, so
    // that many entries hold the same words in different places: the same table on both.
    void generate_word_entries(int rows);
    // Rows under every entry number, 1 to 32767 (their texts NULL): no number is free.
    void insert_every_number();
    // Drops and creates the table and its history (faq_history, faq_restored and the triggers)
    // from the shipped schemas.
    void recreate_table();
    // The table as made before its searched texts refused NULL (an older PostgreSQL table, put
    // back by recreate_table()); SQLite's takes NULL anyway.
    void allow_null_texts();
    // Runs a file of statements on the admin connection, as the shipped schemas are written.
    void run_script(const QString& path);

    std::vector<row> rows();
    std::optional<row> find(int rbr);
    int count();

    // A separate connection with automatic commit, for checks and for breaking things.
    QSqlDatabase admin();
    // Runs one statement on the admin connection; fails the process on error.
    void exec(const QString& statement);

    // A second data source beside "FAQ": the SQLite database in `file`.
    void add_sqlite_source(const QString& name, const QString& file)
    {
        odbc->add(name, QStringLiteral("SQLite3"), {QStringLiteral("Database=") + file});
    }

    backend which() const { return kind; }
    // The SQLite file (empty for PostgreSQL).
    QString database_file() const { return sqlite_file; }
    // Settings that reach the PostgreSQL test server (empty for SQLite).
    int postgresql_port() const { return pg_port; }
    QString postgresql_socket_dir() const;

private:
    backend kind;
    QString sqlite_file;
    int pg_port = 0;
    std::unique_ptr<private_odbc> odbc;
};

} // namespace test_support
