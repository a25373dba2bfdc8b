#pragma once
// Which database the session reached, in the driver's own words: the engine, and the file or
// the database and the server it runs on. Shown to the user so that nobody works on one
// database while believing to be on another.

#include <QString>
#include <optional>

class transaction;

namespace data_source {

struct facts {
    QString name;     // the ODBC data source, "FAQ"
    QString engine;   // "SQLite", "PostgreSQL", or what another driver calls its database system
    QString database; // the SQLite file, or the database on the server
    QString server;   // host name or address; a folder (or an empty text) means a local socket
    QString port;     // servers reached over the network or a socket
};

// A setting of the data source as the driver reads it (the user's odbc.ini, then the system's);
// empty when not set.
QString setting(const QString& dsn, const char* key);

// Asks the session's ODBC driver. Nothing when the session is not connected.
std::optional<facts> of(const transaction& sqlca);

// One line for the status line, e.g. "FAQ: SQLite /home/ana/.local/share/tarvo/faq.db" or
// "FAQ: PostgreSQL faq on db1:5432".
QString describe(const facts& source);

} // namespace data_source
