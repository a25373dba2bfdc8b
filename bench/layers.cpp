#include "layers.h"

#include <sql.h>
#include <sqlext.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <langinfo.h>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is UTF-16");

namespace {

QString diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QString text;
    SQLWCHAR state[6];
    SQLWCHAR message[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1;
         SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, message, 1024, &length)); ++record)
        text += QString::fromUtf16(reinterpret_cast<const char16_t*>(message)) + QLatin1Char(' ');
    return text.trimmed();
}

// What the ODBC driver manager and the driver cost on their own: the columns bound to buffers
// that every row reuses (texts as UTF-8 in a UTF-8 locale, else UTF-16, as the program reads
// them), SQLFetch row by row, nothing converted or kept. Values longer than a buffer are only
// counted, not read again: the generated texts fit.
class odbc_layer final : public list_layer {
public:
    odbc_layer()
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        const std::u16string connect = u"DSN=FAQ;UID=mirt;PWD=mirt";
        const SQLRETURN result =
            SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(connect.c_str())),
                              static_cast<SQLSMALLINT>(connect.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(result))
            error = diagnostics(SQL_HANDLE_DBC, dbc);
        const char* codeset = nl_langinfo(CODESET);
        utf8 = codeset != nullptr && (qstricmp(codeset, "UTF-8") == 0 || qstricmp(codeset, "UTF8") == 0);
    }
    ~odbc_layer() override
    {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }

    bool read_list(const QString& select, std::vector<layer_row>& rows) override
    {
        rows.clear();
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt))) {
            error = diagnostics(SQL_HANDLE_DBC, dbc);
            return false;
        }
        SQLBIGINT number = 0;
        SQLLEN indicators[3] = {};
        const SQLSMALLINT text_type = utf8 ? SQL_C_CHAR : SQL_C_WCHAR;
        bool ok = SQL_SUCCEEDED(SQLExecDirectW(stmt, const_cast<SQLWCHAR*>(select.utf16()),
                                               static_cast<SQLINTEGER>(select.size())))
                  && SQL_SUCCEEDED(SQLBindCol(stmt, 1, SQL_C_SBIGINT, &number, 0, &indicators[0]))
                  && SQL_SUCCEEDED(SQLBindCol(stmt, 2, text_type, proizvod, sizeof proizvod, &indicators[1]))
                  && SQL_SUCCEEDED(SQLBindCol(stmt, 3, text_type, pitanje, sizeof pitanje, &indicators[2]));
        std::size_t count = 0;
        while (ok) {
            const SQLRETURN fetched = SQLFetch(stmt);
            if (fetched == SQL_NO_DATA)
                break;
            ok = SQL_SUCCEEDED(fetched);
            touched += static_cast<std::size_t>(indicators[1] + indicators[2]) + static_cast<std::size_t>(number);
            ++count;
        }
        if (!ok)
            error = diagnostics(SQL_HANDLE_STMT, stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        rows.resize(count); // only the count: nothing is kept
        return ok;
    }

private:
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool utf8 = false;
    alignas(SQLWCHAR) char proizvod[1024];
    alignas(SQLWCHAR) char pitanje[4096];
    std::size_t touched = 0;
};

// Qt SQL's ODBC driver read the plain way.
class qtsql_layer final : public list_layer {
public:
    qtsql_layer()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connection);
        db.setDatabaseName(QStringLiteral("FAQ"));
        db.setUserName(QStringLiteral("mirt"));
        db.setPassword(QStringLiteral("mirt"));
        if (!db.open())
            error = db.lastError().text();
    }
    ~qtsql_layer() override { QSqlDatabase::removeDatabase(connection); }

    bool read_list(const QString& select, std::vector<layer_row>& rows) override
    {
        rows.clear();
        QSqlQuery query(QSqlDatabase::database(connection, false));
        query.setForwardOnly(true);
        if (!query.exec(select)) {
            error = query.lastError().text();
            return false;
        }
        while (query.next()) {
            const QVariant number = query.value(0);
            rows.push_back(layer_row{number.isNull() ? std::nullopt : std::optional<int>(number.toInt()),
                                     query.value(1).toString(), query.value(2).toString()});
        }
        return !query.lastError().isValid();
    }

private:
    const QString connection = QStringLiteral("bench_qtsql_layer");
};

// The ODBC driver alone for the entry window's statements, on a connection of its own.
class odbc_entry_layer final : public entry_layer {
public:
    odbc_entry_layer()
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        const std::u16string connect = u"DSN=FAQ;UID=mirt;PWD=mirt";
        if (!SQL_SUCCEEDED(
                SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(connect.c_str())),
                                  static_cast<SQLSMALLINT>(connect.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
            error = diagnostics(SQL_HANDLE_DBC, dbc);
    }
    ~odbc_entry_layer() override
    {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }

    bool load(const QString& select, layer_entry& entry) override
    {
        return run(select, {}, [&](SQLHSTMT stmt) {
            while (SQL_SUCCEEDED(SQLFetch(stmt))) {
                QString* columns[] = {&entry.adresa, &entry.pitanje, &entry.proizvod, &entry.lot, &entry.odgovor};
                for (SQLUSMALLINT column = 1; column <= 5; ++column) {
                    SQLLEN length = 0;
                    if (!SQL_SUCCEEDED(SQLGetData(stmt, column, SQL_C_WCHAR, text, sizeof text, &length)))
                        return false;
                    *columns[column - 1] = length == SQL_NULL_DATA
                                               ? QString()
                                               : QString::fromUtf16(reinterpret_cast<const char16_t*>(text),
                                                                    length / SQLLEN(sizeof(SQLWCHAR)));
                }
            }
            return true;
        });
    }

    bool save(int rbr, const layer_entry& entry) override
    {
        SQLINTEGER ima = 0;
        SQLINTEGER number = rbr;
        const bool counted =
            run(QStringLiteral("SELECT Count ( rbr ) FROM faq WHERE rbr =? "), {&number}, [&](SQLHSTMT stmt) {
                return SQL_SUCCEEDED(SQLFetch(stmt))
                       && SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SLONG, &ima, 0, nullptr));
            });
        if (!counted || ima <= 0)
            return counted;
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER);
        const QString* texts[] = {&entry.adresa, &entry.pitanje, &entry.proizvod, &entry.lot, &entry.odgovor};
        bool ok = run(
            QStringLiteral("update faq SET adresa =? , pitanje =? , proizvod =? , lot =? , odgovor =? WHERE rbr =? "),
            {&number}, [](SQLHSTMT) { return true; }, texts);
        ok = SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc, ok ? SQL_COMMIT : SQL_ROLLBACK)) && ok;
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER);
        return ok;
    }

    bool number(std::optional<int>& largest) override
    {
        return run(QStringLiteral("SELECT MAX ( rbr ) FROM faq "), {}, [&](SQLHSTMT stmt) {
            SQLINTEGER value = 0;
            SQLLEN indicator = 0;
            if (!SQL_SUCCEEDED(SQLFetch(stmt))
                || !SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_SLONG, &value, 0, &indicator)))
                return false;
            largest = indicator == SQL_NULL_DATA ? std::nullopt : std::optional<int>(value);
            return true;
        });
    }

private:
    // One statement: allocate, bind the texts then the number (the order of the markers in the
    // update; a single number elsewhere), run, read, free.
    template <typename Read>
    bool run(const QString& statement_text, std::initializer_list<SQLINTEGER*> numbers, Read read,
             const QString* const* texts = nullptr)
    {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt))) {
            error = diagnostics(SQL_HANDLE_DBC, dbc);
            return false;
        }
        SQLUSMALLINT position = 0;
        SQLLEN indicators[6] = {};
        bool ok = true;
        for (int i = 0; texts != nullptr && i < 5; ++i) {
            indicators[position] = SQLLEN(texts[i]->size()) * SQLLEN(sizeof(SQLWCHAR));
            ok = ok
                 && SQL_SUCCEEDED(SQLBindParameter(stmt, SQLUSMALLINT(position + 1), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                                   SQL_WVARCHAR, 0, 0, const_cast<ushort*>(texts[i]->utf16()),
                                                   indicators[position], &indicators[position]));
            ++position;
        }
        for (SQLINTEGER* number : numbers) {
            ok = ok
                 && SQL_SUCCEEDED(SQLBindParameter(stmt, SQLUSMALLINT(position + 1), SQL_PARAM_INPUT, SQL_C_SLONG,
                                                   SQL_INTEGER, 0, 0, number, 0, &indicators[position]));
            ++position;
        }
        const SQLRETURN executed =
            ok ? SQLExecDirectW(stmt, const_cast<SQLWCHAR*>(statement_text.utf16()), SQLINTEGER(statement_text.size()))
               : SQL_ERROR;
        ok = (SQL_SUCCEEDED(executed) || executed == SQL_NO_DATA) && read(stmt);
        if (!ok)
            error = diagnostics(SQL_HANDLE_STMT, stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return ok;
    }

    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLWCHAR text[2048];
};

} // namespace

std::unique_ptr<entry_layer> make_odbc_entry_layer() { return std::make_unique<odbc_entry_layer>(); }

std::unique_ptr<list_layer> make_odbc_layer() { return std::make_unique<odbc_layer>(); }
std::unique_ptr<list_layer> make_qtsql_layer() { return std::make_unique<qtsql_layer>(); }
