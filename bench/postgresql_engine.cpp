// The PostgreSQL yardstick: libpq on the same server, database and user as the data source
// "FAQ", over the same TCP connection kind. PQexec for composed texts, PQexecParams for the
// statements with bound values, results read from libpq's text format.

#include <libpq-fe.h>

#include <cstdlib>

#include "engine.h"
#include "faq_data.h"
#include "statements.h"

namespace {

// One PGresult, cleared on every path.
class result {
public:
    explicit result(PGresult* handle) : res(handle) {}
    ~result() { PQclear(res); }
    result(const result&) = delete;
    result& operator=(const result&) = delete;
    PGresult* get() const { return res; }

private:
    PGresult* res;
};

// A statement text with its ? markers numbered as libpq wants them ($1, $2, ...).
std::string numbered(const QString& with_question_marks)
{
    std::string text;
    int position = 0;
    for (const char c : with_question_marks.toStdString()) {
        if (c == '?') {
            text += '$';
            text += std::to_string(++position);
        } else {
            text += c;
        }
    }
    return text;
}

std::string utf8(const char16_t* text) { return QString::fromUtf16(text).toStdString(); }

class postgresql_engine final : public engine {
public:
    explicit postgresql_engine(const std::string& conninfo) : connection(PQconnectdb(conninfo.c_str()))
    {
        if (PQstatus(connection) != CONNECTION_OK) {
            const std::string error = PQerrorMessage(connection);
            PQfinish(connection);
            throw engine_error("PQconnectdb: " + error);
        }
        // Notices ("table faq does not exist, skipping") are of no interest here.
        PQsetNoticeProcessor(
            connection, [](void*, const char*) {}, nullptr);
        count_text = numbered(statements::with_placeholders(statements::count_rbr));
        delete_text = numbered(statements::with_placeholders(statements::delete_entry_text));
        update_text = numbered(statements::with_placeholders(statements::update_entry_text));
        max_text = utf8(statements::max_rbr);
    }
    ~postgresql_engine() override { PQfinish(connection); }

    void exec(const std::string& text) override { expect(PQexec(connection, text.c_str()), PGRES_COMMAND_OK, text); }

    void fill(const std::string& schema_sql, const std::string& history_sql, int rows) override
    {
        exec("DROP TABLE IF EXISTS faq_restored, faq_history, faq");
        exec(schema_sql);
        expect(PQexec(connection, "COPY faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) FROM STDIN"),
               PGRES_COPY_IN, "COPY");
        std::string line;
        for (int rbr = 1; rbr <= rows; ++rbr) {
            // The generated texts hold no tab, newline or backslash: they go into COPY's text
            // format as they are.
            const faq_data::entry made = faq_data::make_entry(rbr);
            line = std::to_string(made.rbr);
            for (const std::string* text :
                 {&made.adresa, &made.pitanje, &made.datum, &made.proizvod, &made.lot, &made.odgovor}) {
                line += '\t';
                line += *text;
            }
            line += '\n';
            if (PQputCopyData(connection, line.data(), static_cast<int>(line.size())) != 1)
                throw engine_error(std::string("PQputCopyData: ") + PQerrorMessage(connection));
        }
        if (PQputCopyEnd(connection, nullptr) != 1)
            throw engine_error(std::string("PQputCopyEnd: ") + PQerrorMessage(connection));
        expect(PQgetResult(connection), PGRES_COMMAND_OK, "COPY end");
        while (PGresult* rest = PQgetResult(connection))
            PQclear(rest);
        exec(history_sql);
        // Hint bits and statistics settle now, not during the first timed scans.
        exec("VACUUM ANALYZE faq");
    }

    void read_list(const std::string& select, std::vector<engine_row>& rows) override
    {
        rows.clear();
        const result res(PQexec(connection, select.c_str()));
        check(res.get(), PGRES_TUPLES_OK, select);
        const int count = PQntuples(res.get());
        rows.reserve(static_cast<std::size_t>(count));
        for (int row = 0; row < count; ++row)
            rows.push_back(engine_row{number(res.get(), row, 0), text(res.get(), row, 1), text(res.get(), row, 2)});
    }

    void load(const std::string& select, engine_entry& entry) override
    {
        const result res(PQexec(connection, select.c_str()));
        check(res.get(), PGRES_TUPLES_OK, select);
        for (int row = 0; row < PQntuples(res.get()); ++row)
            entry = engine_entry{text(res.get(), row, 0), text(res.get(), row, 1), text(res.get(), row, 2),
                                 text(res.get(), row, 3), text(res.get(), row, 4)};
    }

    void save(int rbr, const engine_entry& entry) override
    {
        exec("BEGIN");
        const std::string number_text = std::to_string(rbr);
        int ima = 0;
        {
            const char* values[] = {number_text.c_str()};
            const result res(PQexecParams(connection, count_text.c_str(), 1, nullptr, values, nullptr, nullptr, 0));
            check(res.get(), PGRES_TUPLES_OK, count_text);
            if (PQntuples(res.get()) > 0)
                ima = number(res.get(), 0, 0).value_or(0);
        }
        if (ima > 0) {
            const char* values[] = {entry.adresa.c_str(), entry.pitanje.c_str(), entry.proizvod.c_str(),
                                    entry.lot.c_str(),    entry.odgovor.c_str(), number_text.c_str()};
            expect(PQexecParams(connection, update_text.c_str(), 6, nullptr, values, nullptr, nullptr, 0),
                   PGRES_COMMAND_OK, update_text);
        }
        exec("COMMIT");
    }

    std::optional<int> max_rbr() override
    {
        const result res(PQexec(connection, max_text.c_str()));
        check(res.get(), PGRES_TUPLES_OK, max_text);
        return PQntuples(res.get()) > 0 ? number(res.get(), 0, 0) : std::nullopt;
    }

    void delete_entry(int rbr) override
    {
        exec("BEGIN");
        const std::string number_text = std::to_string(rbr);
        const char* values[] = {number_text.c_str()};
        expect(PQexecParams(connection, delete_text.c_str(), 1, nullptr, values, nullptr, nullptr, 0), PGRES_COMMAND_OK,
               delete_text);
        exec("COMMIT");
    }

    void insert_entry(const faq_data::entry& made) override
    {
        const std::string number_text = std::to_string(made.rbr);
        const char* values[] = {number_text.c_str(),   made.adresa.c_str(), made.pitanje.c_str(), made.datum.c_str(),
                                made.proizvod.c_str(), made.lot.c_str(),    made.odgovor.c_str()};
        expect(PQexecParams(connection,
                            "INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) "
                            "VALUES ($1, $2, $3, $4, $5, $6, $7)",
                            7, nullptr, values, nullptr, nullptr, 0),
               PGRES_COMMAND_OK, "insert");
    }

    void drop_history_triggers() override
    {
        exec("DROP TRIGGER IF EXISTS faq_keep_updated ON faq; DROP TRIGGER IF EXISTS faq_keep_deleted ON faq; "
             "DROP TRIGGER IF EXISTS faq_keep_truncated ON faq");
    }

private:
    static std::optional<int> number(PGresult* res, int row, int column)
    {
        if (PQgetisnull(res, row, column))
            return std::nullopt;
        return std::atoi(PQgetvalue(res, row, column));
    }
    static std::string text(PGresult* res, int row, int column)
    {
        return std::string(PQgetvalue(res, row, column), static_cast<std::size_t>(PQgetlength(res, row, column)));
    }
    void check(PGresult* res, ExecStatusType wanted, const std::string& what)
    {
        if (PQresultStatus(res) != wanted)
            throw engine_error("libpq: " + std::string(PQerrorMessage(connection)) + "\n" + what);
    }
    void expect(PGresult* res, ExecStatusType wanted, const std::string& what)
    {
        const result owned(res);
        check(res, wanted, what);
    }

    PGconn* connection;
    std::string count_text, update_text, max_text, delete_text;
};

} // namespace

std::unique_ptr<engine> make_postgresql_engine(const std::string& conninfo)
{
    return std::make_unique<postgresql_engine>(conninfo);
}
