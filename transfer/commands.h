#pragma once
// The commands of tarvo-transfer. Each returns the program's exit status and writes what it did
// (counts, renumbered entries) to standard output, problems and failures to standard error.
// On any failure nothing is written: a database change is rolled back, a file left as it was.

#include <QString>

namespace commands {

enum status : int { done = 0, refused = 1, usage = 2, failed = 3 };

struct import_options {
    QString data_source = QStringLiteral("FAQ");
    QString encoding = QStringLiteral("utf-8");
    bool dry_run = false;
    bool renumber = false;
};

int export_entries(const QString& data_source, bool with_history, const QString& file);
int import_entries(const import_options& options, const QString& file);
int copy_entries(const QString& from, const import_options& options);

} // namespace commands
