#pragma once
// The database engine reached through its own C library (sqlite3, libpq), without ODBC or Qt:
// the yardstick the program's figures are divided by. Each call runs the same statement text
// the program runs and reads the same columns into plain C++ structures.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace faq_data {
struct entry;
}

// One row of the result list, as the engine hands it over.
struct engine_row {
    std::optional<int> rbr;
    std::string proizvod;
    std::string pitanje;
};

// The five texts of one entry.
struct engine_entry {
    std::string adresa, pitanje, proizvod, lot, odgovor;
};

struct engine_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class engine {
public:
    virtual ~engine() = default;

    // Runs statements whose results nobody reads (set-up).
    virtual void exec(const std::string& text) = 0;

    // Drops faq and its history, creates faq from the shipped schema and stores the entries
    // 1..rows, then adds the history (its tables and triggers) from its schema.
    virtual void fill(const std::string& schema_sql, const std::string& history_sql, int rows) = 0;

    // A composed search: every row's rbr, proizvod, pitanje.
    virtual void read_list(const std::string& select, std::vector<engine_row>& rows) = 0;
    // The entry window's load: the five texts of the last row.
    virtual void load(const std::string& select, engine_entry& entry) = 0;
    // The save of an entry shown from the list: count, update when stored, commit.
    virtual void save(int rbr, const engine_entry& entry) = 0;
    // The numbering: the largest stored number.
    virtual std::optional<int> max_rbr() = 0;
    // The search window's delete: the statement, then commit.
    virtual void delete_entry(int rbr) = 0;
    // Stores one generated entry (to put back what a delete took).
    virtual void insert_entry(const faq_data::entry& made) = 0;
    // Drops the triggers that keep the history, or makes them again from the history's schema.
    virtual void drop_history_triggers() = 0;
};

// like_extension: the SQLite extension the data source loads, loaded here too, so that both
// run the same LIKE.
std::unique_ptr<engine> make_sqlite_engine(const std::string& file, const std::string& like_extension);
// conninfo as libpq takes it ("host=... port=... dbname=... user=... password=...").
std::unique_ptr<engine> make_postgresql_engine(const std::string& conninfo);
