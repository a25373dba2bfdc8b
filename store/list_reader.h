#pragma once
// Reads the rows of a list query (entry number, product, question) straight through ODBC into
// buffers that every row reuses, and hands each row to a sink.
//
// Qt's ODBC driver asks for every text value twice (its length, then the data), into a buffer as
// large as the column's declared size that it clears first, and wraps each value in a QVariant:
// for a list of thousands of rows that costs several times the database's own work.

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <sql.h>

#include "odbc_connection.h"
#include "odbc_error.h"

// Receives the rows of a list query one at a time, in the order the database returns them.
// The texts come in UTF-8, as views that are valid only during the call.
class list_sink {
public:
    virtual ~list_sink() = default;
    virtual void row(std::optional<int> rbr, QByteArrayView proizvod, QByteArrayView pitanje) = 0;
    // Forget the rows handed over so far: the query runs again from its start.
    virtual void discard_rows() = 0;
};

// Runs the query on a statement of its own on the connection and hands every row to the sink.
// The failure, if any; rows_read counts the rows handed over.
std::optional<store_error> read_list(odbc_connection& connection, const QString& select, list_sink& sink,
                                     qsizetype& rows_read);
