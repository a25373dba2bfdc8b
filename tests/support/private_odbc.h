#pragma once
// A private unixODBC configuration for one test process: its own odbcinst.ini and odbc.ini in a
// temporary folder, reached through ODBCSYSINI and ODBCINI, so the user's files are never touched.

#include <QString>
#include <QTemporaryDir>

namespace test_support {

class private_odbc {
public:
    private_odbc();
    // Writes the driver definitions and a data source called dsn_name with the given settings
    // (one "Key=Value" each), and points unixODBC at them. An SQLite data source loads the
    // built LIKE extension unless the settings name a LoadExt of their own.
    void write(const QString& dsn_name, const QString& driver, const QStringList& settings);
    // One more data source beside those written (no LIKE extension added).
    void add(const QString& dsn_name, const QString& driver, const QStringList& settings);
    QString folder() const { return dir.path(); }

private:
    static QString section(const QString& dsn_name, const QString& driver, const QStringList& settings);

    QTemporaryDir dir;
};

// The libpq settings that bound the waits on a server that stops answering (tarvo-setup-dsn).
QString network_bounds_setting();
// The settings of a test PostgreSQL data source on 127.0.0.1, as tarvo-setup-dsn writes them for
// a shared database, without TLS (the test servers have it off).
QStringList postgresql_settings(int port);

// The built SQLite extension that makes LIKE ignore the case of every letter.
QString like_extension_path();

// Where the driver libraries live on Debian.
QString odbc_driver_path(const QString& library);

} // namespace test_support
