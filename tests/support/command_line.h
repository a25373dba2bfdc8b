#pragma once
// Statements run by the database's own command line (sqlite3 or psql, as user mirt), a program
// of its own beside the one under test.

#include <QString>

#include "faq_fixture.h"
#include "run_program.h"

namespace test_support {

run_result command_line(const faq_fixture& db, const QString& statements);

} // namespace test_support
