#include "list_reader.h"

#include <QByteArray>
#include <QStringEncoder>
#include <algorithm>
#include <langinfo.h>
#include <limits>
#include <sqlext.h>
#include <vector>

#include "database_kind.h"
#include "odbc_statement.h"

namespace {

// Room for the usual product and question; a longer value is read again in pieces.
constexpr SQLLEN proizvod_buffer = 512;
constexpr SQLLEN pitanje_buffer = 2048;

// Narrow text comes in the encoding of the process's locale. When that is UTF-8 it is the
// databases' own text, which the drivers then hand over without converting it (UTF-16 costs
// them a conversion of every value); in any other locale the texts are read as UTF-16.
bool locale_is_utf8()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && (qstricmp(codeset, "UTF-8") == 0 || qstricmp(codeset, "UTF8") == 0);
}

// One text column, read as UTF-8 or as UTF-16 into a buffer that every row reuses; the value is
// handed on in UTF-8, as a view of that buffer or of `text`.
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
        // Longer than the buffer (or not bound): the whole value again. A driver converts a long
        // value anew from its start at every call: after the first piece the rest comes in one
        // call when the driver tells its length, in doubling pieces otherwise.
        pieces.clear();
        SQLLEN piece = buffer_bytes();
        for (;;) {
            const qsizetype at = pieces.size();
            pieces.resize(at + piece);
            SQLLEN length = 0;
            const SQLRETURN result = SQLGetData(statement, number, c_type, pieces.data() + at, piece, &length);
            if (result == SQL_NO_DATA) {
                pieces.truncate(at);
                break;
            }
            if (!SQL_SUCCEEDED(result))
                return false;
            if (length == SQL_NULL_DATA)
                return true;
            const bool known = length != SQL_NO_TOTAL;
            if (result == SQL_SUCCESS || (known && length < piece)) {
                pieces.truncate(at + length);
                break;
            }
            pieces.truncate(at + piece - unit); // the rest of a full piece is its terminator
            piece = known ? length - (piece - unit) + unit : piece * 2;
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
    SQLLEN unit;                  // bytes per code unit
    std::vector<SQLWCHAR> buffer; // SQLWCHAR keeps UTF-16 aligned; UTF-8 uses its bytes
    bool bound = false;
    SQLLEN indicator = 0; // of the bound buffer
    QByteArray pieces;    // a long value, put together
    QByteArray text;      // a value converted from UTF-16
    // Each value is complete; a byte order mark at its start belongs to the text.
    QStringEncoder to_utf8{QStringEncoder::Utf8,
                           QStringEncoder::Flag::Stateless | QStringEncoder::Flag::ConvertInitialBom};
};

// A character beyond U+FFFF: two UTF-16 code units.
bool beyond_16_bits(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSurrogate(); });
}

} // namespace

std::optional<store_error> read_list(odbc_connection& connection, const QString& select, list_sink& sink,
                                     qsizetype& rows_read)
{
    const bool utf8 = locale_is_utf8();
    odbc_statement statement(connection);
    // The search texts stand in the statement itself. The SQLite driver breaks a statement sent
    // as UTF-16 at a character beyond U+FFFF, but takes it whole in UTF-8, which in a UTF-8
    // locale its narrow entry point passes on unchanged. (psqlODBC reads a narrow statement on
    // a Unicode connection as Latin-1, and takes every character in UTF-16.)
    if (connection.sqlite() && (utf8 || beyond_16_bits(select))) {
        // Without a UTF-8 locale there is no way to hand SQLite such a character: the search
        // finds nothing rather than run a statement that no longer says what was typed.
        if (!utf8)
            return std::nullopt;
        if (!statement.execute_narrow(select.toUtf8()))
            return statement.error();
    } else if (!statement.execute(select)) {
        return statement.error();
    }
    const SQLHSTMT handle = statement.handle();

    // A bound text that did not fit is read again with SQLGetData, which a driver allows on a
    // bound column only when it says so; otherwise the texts are not bound at all.
    const bool bind_texts = connection.reads_bound_columns();

    SQLBIGINT number = 0;
    SQLLEN number_indicator = 0;
    text_column proizvod(2, proizvod_buffer, utf8);
    text_column pitanje(3, pitanje_buffer, utf8);
    const bool bound = SQL_SUCCEEDED(SQLBindCol(handle, 1, SQL_C_SBIGINT, &number, 0, &number_indicator))
                       && (!bind_texts || (proizvod.bind(handle) && pitanje.bind(handle)));
    if (!bound)
        return odbc_diagnostics(SQL_HANDLE_STMT, handle, QStringLiteral("Unable to bind column"));

    for (;;) {
        switch (statement.fetch()) {
        case odbc_statement::fetched::end:
            return std::nullopt;
        case odbc_statement::fetched::failed:
            return statement.error();
        case odbc_statement::fetched::row:
            break;
        }
        // A number beyond 32 bits is no entry number either.
        const bool has_number = number_indicator != SQL_NULL_DATA && number >= std::numeric_limits<int>::min()
                                && number <= std::numeric_limits<int>::max();
        QByteArrayView proizvod_value;
        QByteArrayView pitanje_value;
        if (!proizvod.read(handle, proizvod_value) || !pitanje.read(handle, pitanje_value))
            return odbc_diagnostics(SQL_HANDLE_STMT, handle, QStringLiteral("Unable to fetch next"));
        sink.row(has_number ? std::optional<int>(int(number)) : std::nullopt, proizvod_value, pitanje_value);
        ++rows_read;
    }
}
