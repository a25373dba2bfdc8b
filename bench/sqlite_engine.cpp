// The SQLite yardstick: sqlite3_prepare_v2 / sqlite3_step / sqlite3_finalize on the same file the
// data source "FAQ" names, each statement prepared afresh as the program's driver does, with the
// same LIKE extension loaded.

#include <sqlite3.h>

#include <cstring>

#include "engine.h"
#include "faq_data.h"
#include "statements.h"

namespace {

class statement {
public:
    statement(sqlite3* db, const std::string& text)
    {
        if (sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &handle, nullptr) != SQLITE_OK)
            throw engine_error(std::string("sqlite3_prepare_v2: ") + sqlite3_errmsg(db) + "\n" + text);
    }
    ~statement() { sqlite3_finalize(handle); }
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;

    // SQLITE_ROW or SQLITE_DONE; anything else throws.
    int step()
    {
        const int code = sqlite3_step(handle);
        if (code != SQLITE_ROW && code != SQLITE_DONE)
            throw engine_error(std::string("sqlite3_step: ") + sqlite3_errmsg(sqlite3_db_handle(handle)));
        return code;
    }
    void bind(int position, const std::string& text)
    {
        sqlite3_bind_text(handle, position, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    }
    void bind(int position, int number) { sqlite3_bind_int(handle, position, number); }
    std::string text(int column) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(handle, column));
        return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(handle, column)))
                     : std::string();
    }
    std::optional<int> number(int column) const
    {
        if (sqlite3_column_type(handle, column) == SQLITE_NULL)
            return std::nullopt;
        return sqlite3_column_int(handle, column);
    }
    void reset()
    {
        sqlite3_reset(handle);
        sqlite3_clear_bindings(handle);
    }

private:
    sqlite3_stmt* handle = nullptr;
};

std::string utf8(const char16_t* text) { return QString::fromUtf16(text).toStdString(); }

class sqlite_engine final : public engine {
public:
    sqlite_engine(const std::string& file, const std::string& like_extension)
    {
        if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw engine_error("sqlite3_open_v2: " + file);
        sqlite3_busy_timeout(db, 2000);
        sqlite3_enable_load_extension(db, 1);
        char* message = nullptr;
        if (sqlite3_load_extension(db, like_extension.c_str(), nullptr, &message) != SQLITE_OK) {
            const std::string error = message ? message : "unknown error";
            sqlite3_free(message);
            sqlite3_close(db);
            throw engine_error("sqlite3_load_extension: " + error);
        }
        count_text = statements::with_placeholders(statements::count_rbr).toStdString();
        delete_text = statements::with_placeholders(statements::delete_entry_text).toStdString();
        update_text = statements::with_placeholders(statements::update_entry_text).toStdString();
        max_text = utf8(statements::max_rbr);
    }
    ~sqlite_engine() override { sqlite3_close(db); }

    void exec(const std::string& text) override
    {
        char* message = nullptr;
        if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string error = message ? message : "unknown error";
            sqlite3_free(message);
            throw engine_error("sqlite3_exec: " + error + "\n" + text);
        }
    }

    void fill(const std::string& schema_sql, const std::string& history_sql, int rows) override
    {
        exec("DROP TABLE IF EXISTS faq_restored");
        exec("DROP TABLE IF EXISTS faq_history");
        exec("DROP TABLE IF EXISTS faq");
        exec(schema_sql);
        exec("BEGIN");
        statement insert(db, insert_text);
        for (int rbr = 1; rbr <= rows; ++rbr) {
            store(insert, faq_data::make_entry(rbr));
            insert.reset();
        }
        exec("COMMIT");
        exec(history_sql);
        exec("PRAGMA wal_checkpoint(TRUNCATE)");
        exec("ANALYZE");
    }

    void read_list(const std::string& select, std::vector<engine_row>& rows) override
    {
        rows.clear();
        statement query(db, select);
        while (query.step() == SQLITE_ROW)
            rows.push_back(engine_row{query.number(0), query.text(1), query.text(2)});
    }

    void load(const std::string& select, engine_entry& entry) override
    {
        statement query(db, select);
        while (query.step() == SQLITE_ROW)
            entry = engine_entry{query.text(0), query.text(1), query.text(2), query.text(3), query.text(4)};
    }

    void save(int rbr, const engine_entry& entry) override
    {
        exec("BEGIN");
        int ima = 0;
        {
            statement count(db, count_text);
            count.bind(1, rbr);
            if (count.step() == SQLITE_ROW)
                ima = count.number(0).value_or(0);
        }
        if (ima > 0) {
            statement update(db, update_text);
            update.bind(1, entry.adresa);
            update.bind(2, entry.pitanje);
            update.bind(3, entry.proizvod);
            update.bind(4, entry.lot);
            update.bind(5, entry.odgovor);
            update.bind(6, rbr);
            update.step();
        }
        exec("COMMIT");
    }

    std::optional<int> max_rbr() override
    {
        statement query(db, max_text);
        return query.step() == SQLITE_ROW ? query.number(0) : std::nullopt;
    }

    void delete_entry(int rbr) override
    {
        exec("BEGIN");
        {
            statement remove(db, delete_text);
            remove.bind(1, rbr);
            remove.step();
        }
        exec("COMMIT");
    }

    void insert_entry(const faq_data::entry& made) override
    {
        statement insert(db, insert_text);
        store(insert, made);
    }

    void drop_history_triggers() override
    {
        exec("DROP TRIGGER IF EXISTS faq_keep_updated; DROP TRIGGER IF EXISTS faq_keep_deleted");
    }

private:
    static void store(statement& insert, const faq_data::entry& made)
    {
        insert.bind(1, made.rbr);
        insert.bind(2, made.adresa);
        insert.bind(3, made.pitanje);
        insert.bind(4, made.datum);
        insert.bind(5, made.proizvod);
        insert.bind(6, made.lot);
        insert.bind(7, made.odgovor);
        insert.step();
    }

    static constexpr const char* insert_text =
        "INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) VALUES (?, ?, ?, ?, ?, ?, ?)";

    sqlite3* db = nullptr;
    std::string count_text, update_text, max_text, delete_text;
};

} // namespace

std::unique_ptr<engine> make_sqlite_engine(const std::string& file, const std::string& like_extension)
{
    return std::make_unique<sqlite_engine>(file, like_extension);
}
