#pragma once
// Runs outside programs (scripts, sqlite3, psql) to their end, as a person would from a shell.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace test_support {

struct run_result {
    int exit_code = -1; // -1 when the program crashed or did not finish
    QString output;     // standard output and error, interleaved
};

// Runs program in the temporary folder (which the user postgres can reach too) and waits at most
// timeout_ms for it to end; one that does not is killed.
run_result run(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
               int timeout_ms = 120000);

// Runs the built tarvo-transfer with the arguments, in the temporary folder.
run_result run_transfer(const QStringList& arguments);

} // namespace test_support
