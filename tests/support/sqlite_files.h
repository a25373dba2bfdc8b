#pragma once
// SQLite database files for the tests, made and read with the sqlite3 command line as a person
// would, and damaged as disks and other programs damage them.

#include <QByteArray>
#include <QString>

#include "run_program.h"

namespace test_support {

// sqlite3 -bail DATABASE STATEMENTS.
run_result sqlite3(const QString& database, const QString& statements);

// A new database with the shipped schema, its history and the sample entries, as tarvo-setup-dsn
// makes it, in place of any file there. Stops the test program when it cannot.
void make_sample_database(const QString& path);

// The whole file, to tell whether anything wrote to it.
QByteArray file_bytes(const QString& path);

enum class damage {
    not_a_database, // overwritten by another program
    broken_table    // a database whose table faq lost its first page (a bad sector)
};
void write_damaged_database(const QString& path, damage how);

} // namespace test_support
