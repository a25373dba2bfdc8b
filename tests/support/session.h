#pragma once
// A session of the program's own kind on a data source of the test database.

#include <QString>

class transaction;

namespace test_support {

// Connects sqlca as the program does: manual commit, user mirt. The outcome is in sqlca.
void connect_session(transaction& sqlca, const QString& data_source = QStringLiteral("FAQ"));

} // namespace test_support
