#include "statements.h"

#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QVariant>
#include <iterator>
#include <langinfo.h>
#include <limits>
#include <sql.h>
#include <sqlext.h>

namespace statements {
namespace {

bool is_word_char(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); }

// A marker is ' ' (quote, blank, quote) or a 0 standing alone between non-word characters.
template <typename OnMarker, typename OnChar>
void scan_markers(QStringView text, OnMarker on_marker, OnChar on_char)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.mid(i, 3) == u"' '") {
            on_marker();
            i += 2;
            continue;
        }
        if (text[i] == QLatin1Char('0') && (i == 0 || !is_word_char(text[i - 1]))
            && (i + 1 == text.size() || !is_word_char(text[i + 1]))) {
            on_marker();
            continue;
        }
        on_char(text[i]);
    }
}

// Null QStrings bind as SQL NULL; the entry's texts are stored as typed, so empty is "".
QVariant text_value(const QString& text) { return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text); }

QVariant number_value(std::int16_t number) { return QVariant(static_cast<int>(number)); }

// ---- The list query, read straight through ODBC ----
// Qt's ODBC driver asks for every text value twice (its length, then the data), into a buffer
// as large as the column's declared size that it clears first, and wraps each value in a
// QVariant: for a list of thousands of rows that costs several times the database's own work.
// The list query therefore runs on a statement of its own on the same ODBC connection (so in
// the same transaction), with its columns bound to buffers that every row reuses.

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR holds UTF-16");

// Room for the usual product and question; a longer value is read again in pieces.
constexpr SQLLEN proizvod_buffer = 512;
constexpr SQLLEN pitanje_buffer = 2048;

// The ODBC connection under a connection of Qt's ODBC driver; none for another driver.
SQLHDBC odbc_connection(const QSqlDatabase& db)
{
    if (!db.isOpen() || db.driver() == nullptr || db.driverName() != QLatin1String("QODBC"))
        return SQL_NULL_HDBC;
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "void*") != 0)
        return SQL_NULL_HDBC;
    return *static_cast<const SQLHDBC*>(handle.constData());
}

// Narrow text comes in the encoding of the process's locale. When that is UTF-8 it is the
// databases' own text, which the drivers then hand over without converting it (UTF-16 costs
// them a conversion of every value); in any other locale the texts are read as UTF-16.
bool locale_is_utf8()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && (qstricmp(codeset, "UTF-8") == 0 || qstricmp(codeset, "UTF8") == 0);
}

// The database's messages about a handle, as Qt's ODBC driver words a failed statement.
QSqlError odbc_error(SQLSMALLINT type, SQLHANDLE handle, const QString& what)
{
    QString messages;
    QString state;
    SQLWCHAR sqlstate[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1; SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, sqlstate, &native, message,
                                                             SQLSMALLINT(std::size(message)), &length));
         ++record) {
        if (!messages.isEmpty())
            messages += QLatin1Char(' ');
        messages += QString::fromUtf16(reinterpret_cast<const char16_t*>(message));
        if (state.isEmpty())
            state = QString::fromUtf16(reinterpret_cast<const char16_t*>(sqlstate));
    }
    return QSqlError(what, messages, QSqlError::StatementError, state);
}

// One text column of the list query, read as UTF-8 or as UTF-16 into a buffer that every row
// reuses; the value is handed on in UTF-8, as a view of that buffer or of `text`.
class text_column {
public:
    text_column(SQLUSMALLINT column, SQLLEN bytes, bool utf8)
        : number(column), c_type(utf8 ? SQL_C_CHAR : SQL_C_WCHAR), unit(utf8 ? 1 : SQLLEN(sizeof(SQLWCHAR))),
          buffer(std::size_t(bytes / SQLLEN(sizeof(SQLWCHAR))))
    {
    }

    // Bound columns are filled by SQLFetch; false when the driver refused.
    bool bind(SQLHSTMT statement)
    {
        bound = SQL_SUCCEEDED(SQLBindCol(statement, number, c_type, buffer.data(), buffer_bytes(), &indicator));
        return bound;
    }

    // The value in the current row; false when the driver failed.
    bool read(SQLHSTMT statement, QByteArrayView& value)
    {
        value = {};
        if (bound) {
            if (indicator == SQL_NULL_DATA)
                return true;
            if (indicator != SQL_NO_TOTAL && indicator < buffer_bytes()) {
                value = decoded(bytes(), indicator);
                return true;
            }
        }
        // Longer than the buffer (or not bound): the whole value again, piece by piece.
        pieces.clear();
        for (;;) {
            SQLLEN length = 0;
            const SQLRETURN result = SQLGetData(statement, number, c_type, buffer.data(), buffer_bytes(), &length);
            if (result == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(result))
                return false;
            if (length == SQL_NULL_DATA)
                return true;
            const bool last = result == SQL_SUCCESS || (length != SQL_NO_TOTAL && length < buffer_bytes());
            pieces.append(bytes(), last ? length : buffer_bytes() - unit); // the rest of a full buffer is its terminator
            if (last)
                break;
        }
        value = decoded(pieces.constData(), pieces.size());
        return true;
    }

private:
    SQLLEN buffer_bytes() const { return SQLLEN(buffer.size() * sizeof(SQLWCHAR)); }
    const char* bytes() const { return reinterpret_cast<const char*>(buffer.data()); }

    QByteArrayView decoded(const char* data, qsizetype length)
    {
        if (unit == 1)
            return QByteArrayView(data, length);
        // UTF-16 into the same QByteArray every row: no allocation once it is large enough.
        const QStringView utf16(reinterpret_cast<const char16_t*>(data), length / unit);
        text.resize(to_utf8.requiredSpace(utf16.size()));
        char* end = to_utf8.appendToBuffer(text.data(), utf16);
        text.truncate(end - text.constData());
        return text;
    }

    SQLUSMALLINT number;
    SQLSMALLINT c_type;
    SQLLEN unit;                    // bytes per code unit
    std::vector<SQLWCHAR> buffer;   // SQLWCHAR keeps UTF-16 aligned; UTF-8 uses its bytes
    bool bound = false;
    SQLLEN indicator = 0;           // of the bound buffer
    QByteArray pieces;              // a long value, put together
    QByteArray text;                // a value converted from UTF-16
    // Each value is complete; a byte order mark at its start belongs to the text.
    QStringEncoder to_utf8{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless | QStringEncoder::Flag::ConvertInitialBom};
};

// Runs the list query on its own statement and hands every row to the sink.
std::optional<QSqlError> read_list_through_odbc(SQLHDBC connection, const QString& select, list_sink& sink,
                                               qsizetype& rows_read)
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement)))
        return odbc_error(SQL_HANDLE_DBC, connection, QStringLiteral("Unable to allocate statement"));
    const auto release = qScopeGuard([statement] { SQLFreeHandle(SQL_HANDLE_STMT, statement); });

    const SQLRETURN executed = SQLExecDirectW(statement, const_cast<SQLWCHAR*>(select.utf16()), SQLINTEGER(select.size()));
    if (!SQL_SUCCEEDED(executed))
        return odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to execute statement"));

    // A bound text that did not fit is read again with SQLGetData, which a driver allows on a
    // bound column only when it says so; otherwise the texts are not bound at all.
    SQLUINTEGER getdata_extensions = 0;
    SQLGetInfo(connection, SQL_GETDATA_EXTENSIONS, &getdata_extensions, sizeof getdata_extensions, nullptr);
    const bool bind_texts = (getdata_extensions & SQL_GD_BOUND) != 0;

    SQLBIGINT number = 0;
    SQLLEN number_indicator = 0;
    const bool utf8 = locale_is_utf8();
    text_column proizvod(2, proizvod_buffer, utf8);
    text_column pitanje(3, pitanje_buffer, utf8);
    const bool bound = SQL_SUCCEEDED(SQLBindCol(statement, 1, SQL_C_SBIGINT, &number, 0, &number_indicator))
                       && (!bind_texts || (proizvod.bind(statement) && pitanje.bind(statement)));
    if (!bound)
        return odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to bind column"));

    for (;;) {
        const SQLRETURN fetched = SQLFetch(statement);
        if (fetched == SQL_NO_DATA)
            return std::nullopt;
        if (!SQL_SUCCEEDED(fetched))
            return odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to fetch next"));
        // A number beyond 32 bits is no entry number either.
        const bool has_number = number_indicator != SQL_NULL_DATA && number >= std::numeric_limits<int>::min()
                                && number <= std::numeric_limits<int>::max();
        QByteArrayView proizvod_value;
        QByteArrayView pitanje_value;
        if (!proizvod.read(statement, proizvod_value) || !pitanje.read(statement, pitanje_value))
            return odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to fetch next"));
        sink.row(has_number ? std::optional<int>(int(number)) : std::nullopt, proizvod_value, pitanje_value);
        ++rows_read;
    }
}

// Another Qt driver (not used by the program): the plain forward-only query.
std::optional<QSqlError> read_list_through_qt(const QSqlDatabase& db, const QString& select, list_sink& sink,
                                             qsizetype& rows_read)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(select))
        return query.lastError();
    while (query.next()) {
        const QVariant number = query.value(0);
        sink.row(number.isNull() ? std::nullopt : std::optional<int>(number.toInt()),
                 query.value(1).toString().toUtf8(), query.value(2).toString().toUtf8());
        ++rows_read;
    }
    if (query.lastError().isValid())
        return query.lastError();
    return std::nullopt;
}

// ---- The fixed statements, run directly with their values bound ----
// Through Qt's driver every statement is prepared first, which costs psqlODBC a named plan on
// the server (one exchange to prepare it, one to run it, one to drop it), and every result
// column a catalog query for its attributes. Run directly on the ODBC connection with its
// values bound, a statement is one exchange. The values are bound as Qt's driver binds them.
class fixed_statement {
public:
    fixed_statement() = default;
    ~fixed_statement() { finish(); }
    fixed_statement(const fixed_statement&) = delete;
    fixed_statement& operator=(const fixed_statement&) = delete;

    // Takes the connection as it is now: the check before a statement may have opened a lost
    // one again, and the new one has a new ODBC handle (the old one is freed).
    bool prepare(const QSqlDatabase& db, const QString& statement_text)
    {
        connection = odbc_connection(db);
        if (connection == SQL_NULL_HDBC)
            query.emplace(db); // another Qt driver: the plain prepared query
        text = statement_text;
        if (query) {
            query->setForwardOnly(true);
            return query->prepare(text);
        }
        return true; // the driver sees the statement when it runs
    }

    // An entry number or a text, in the order of the markers.
    void addBindValue(const QVariant& value)
    {
        if (query)
            query->addBindValue(value);
        else
            values.push_back(value);
    }

    bool exec()
    {
        if (query)
            return query->exec();
        finish();
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement))) {
            error = odbc_error(SQL_HANDLE_DBC, connection, QStringLiteral("Unable to allocate statement"));
            statement = SQL_NULL_HSTMT;
            return false;
        }
        numbers.assign(values.size(), 0);
        indicators.assign(values.size(), 0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto position = SQLUSMALLINT(i + 1);
            SQLRETURN bound = SQL_ERROR;
            if (values[i].typeId() == QMetaType::QString) {
                // Points into the QString held by values, which outlives the statement.
                const QString& value = *static_cast<const QString*>(values[i].constData());
                indicators[i] = SQLLEN(value.size()) * SQLLEN(sizeof(SQLWCHAR));
                bound = SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                         value.size() > 254 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, 0, 0,
                                         const_cast<SQLWCHAR*>(value.utf16()), indicators[i], &indicators[i]);
            } else {
                numbers[i] = SQLINTEGER(values[i].toInt());
                bound = SQLBindParameter(statement, position, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                                         &numbers[i], 0, &indicators[i]);
            }
            if (!SQL_SUCCEEDED(bound)) {
                error = odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to bind variable"));
                return false;
            }
        }
        const SQLRETURN result = SQLExecDirectW(statement, const_cast<SQLWCHAR*>(text.utf16()), SQLINTEGER(text.size()));
        // An update or delete that meets no row reports "no data": it still succeeded.
        if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA) {
            error = odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to execute statement"));
            return false;
        }
        return true;
    }

    // The first column of the next row, as a number or null.
    bool next()
    {
        if (query)
            return query->next();
        first_column = QVariant();
        const SQLRETURN fetched = SQLFetch(statement);
        if (!SQL_SUCCEEDED(fetched)) {
            if (fetched != SQL_NO_DATA)
                error = odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to fetch next"));
            return false;
        }
        SQLBIGINT number = 0;
        SQLLEN indicator = 0;
        if (!SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_SBIGINT, &number, 0, &indicator))) {
            error = odbc_error(SQL_HANDLE_STMT, statement, QStringLiteral("Unable to fetch next"));
            return false;
        }
        if (indicator != SQL_NULL_DATA)
            first_column = QVariant(qlonglong(number));
        return true;
    }

    QVariant value(int column) const { return query ? query->value(column) : first_column; }
    QSqlError lastError() const { return query ? query->lastError() : error; }

    void finish()
    {
        if (query) {
            query->finish();
        } else if (statement != SQL_NULL_HSTMT) {
            SQLFreeHandle(SQL_HANDLE_STMT, statement);
            statement = SQL_NULL_HSTMT;
        }
    }

private:
    SQLHDBC connection = SQL_NULL_HDBC;
    std::optional<QSqlQuery> query;
    QString text;
    std::vector<QVariant> values;
    std::vector<SQLINTEGER> numbers;
    std::vector<SQLLEN> indicators;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    QVariant first_column;
    QSqlError error;
};

// Prepares a fixed statement (its text with ? markers); false (with SQLCode set) when it cannot
// even be prepared.
bool prepare(transaction& sqlca, fixed_statement& query, const QString& text)
{
    if (sqlca.refuse_when_not_connected())
        return false;
    if (!query.prepare(sqlca.database(), text)) {
        sqlca.failed(query.lastError());
        return false;
    }
    return true;
}

// Runs a single-value select; the value is handed on only when a row came back.
template <typename Store>
void single_value(transaction& sqlca, fixed_statement& query, Store store)
{
    if (!query.exec()) {
        sqlca.failed(query.lastError());
    } else if (query.next()) {
        store(query.value(0));
        sqlca.succeeded();
    } else {
        sqlca.succeeded(transaction::not_found);
    }
    query.finish();
    sqlca.read_done();
}

void run_change(transaction& sqlca, fixed_statement& query)
{
    if (query.exec()) {
        sqlca.change_made();
        sqlca.succeeded();
    } else {
        sqlca.failed(query.lastError());
        query.finish();
        sqlca.undo_failed_change();
    }
}

} // namespace

QString with_placeholders(QStringView system_text)
{
    QString result;
    result.reserve(system_text.size());
    scan_markers(system_text, [&] { result += QLatin1Char('?'); }, [&](QChar c) { result += c; });
    return result;
}

int marker_count(QStringView system_text)
{
    int count = 0;
    scan_markers(system_text, [&] { ++count; }, [](QChar) {});
    return count;
}

void select_max_rbr(transaction& sqlca, std::optional<int>& broj)
{
    fixed_statement query;
    static const QString text = with_placeholders(max_rbr);
    if (!prepare(sqlca, query, text))
        return;
    single_value(sqlca, query, [&](const QVariant& value) {
        broj = value.isNull() ? std::nullopt : std::optional<int>(value.toInt());
    });
    // MAX of an empty table is one row with a null value: that is a success.
}

void select_count(transaction& sqlca, std::int16_t a_rbr, std::int16_t& ima)
{
    fixed_statement query;
    static const QString text = with_placeholders(count_rbr);
    if (!prepare(sqlca, query, text))
        return;
    query.addBindValue(number_value(a_rbr));
    single_value(sqlca, query, [&](const QVariant& value) { ima = static_cast<std::int16_t>(value.toInt()); });
}

void update_entry(transaction& sqlca, const entry_texts& entry, std::int16_t a_rbr)
{
    fixed_statement query;
    static const QString text = with_placeholders(update_entry_text);
    if (!prepare(sqlca, query, text))
        return;
    query.addBindValue(text_value(entry.adresa));
    query.addBindValue(text_value(entry.pitanje));
    query.addBindValue(text_value(entry.proizvod));
    query.addBindValue(text_value(entry.lot));
    query.addBindValue(text_value(entry.odgovor));
    query.addBindValue(number_value(a_rbr));
    run_change(sqlca, query);
}

void insert_entry(transaction& sqlca, std::int16_t a_rbr, const entry_texts& entry, const QString& datum)
{
    fixed_statement query;
    static const QString text = with_placeholders(insert_entry_text);
    if (!prepare(sqlca, query, text))
        return;
    query.addBindValue(number_value(a_rbr));
    query.addBindValue(text_value(entry.adresa));
    query.addBindValue(text_value(entry.pitanje));
    query.addBindValue(text_value(datum));
    query.addBindValue(text_value(entry.proizvod));
    query.addBindValue(text_value(entry.lot));
    query.addBindValue(text_value(entry.odgovor));
    run_change(sqlca, query);
}

void delete_entry(transaction& sqlca, std::int16_t rbr)
{
    fixed_statement query;
    static const QString text = with_placeholders(delete_entry_text);
    if (!prepare(sqlca, query, text))
        return;
    query.addBindValue(number_value(rbr));
    run_change(sqlca, query);
}

QString load_statement(std::int16_t broj)
{
    return QString::fromUtf16(load_select) + QString::number(broj);
}

void retrieve(transaction& sqlca, const QString& select, list_sink& sink)
{
    if (sqlca.refuse_when_not_connected())
        return;
    const SQLHDBC connection = odbc_connection(sqlca.database());
    qsizetype rows_read = 0;
    const std::optional<QSqlError> error = connection != SQL_NULL_HDBC
                                               ? read_list_through_odbc(connection, select, sink, rows_read)
                                               : read_list_through_qt(sqlca.database(), select, sink, rows_read);
    if (error)
        sqlca.failed(*error);
    else
        sqlca.succeeded(rows_read == 0 ? transaction::not_found : transaction::success);
    sqlca.read_done();
}

void retrieve(transaction& sqlca, const QString& select, std::vector<list_row>& rows)
{
    struct into_rows final : list_sink {
        std::vector<list_row>& rows;
        explicit into_rows(std::vector<list_row>& target) : rows(target) {}
        void row(std::optional<int> rbr, QByteArrayView proizvod, QByteArrayView pitanje) override
        {
            rows.push_back(list_row{rbr, QString::fromUtf8(proizvod), QString::fromUtf8(pitanje)});
        }
    };
    rows.clear();
    into_rows sink(rows);
    retrieve(sqlca, select, sink);
    if (sqlca.SQLCode < 0)
        rows.clear();
}

} // namespace statements
