#include "session.h"

#include "transaction.h"

namespace test_support {

void connect_session(transaction& sqlca, const QString& data_source)
{
    sqlca.DBMS = QStringLiteral("ODBC");
    sqlca.AutoCommit = false;
    sqlca.DBParm = QStringLiteral("ConnectString='DSN=%1;UID=mirt;PWD=mirt'").arg(data_source);
    sqlca.connect();
}

} // namespace test_support
