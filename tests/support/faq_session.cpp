#include "faq_session.h"

namespace test_support {

void connect_faq_session(transaction& sqlca)
{
    sqlca.DBMS = QStringLiteral("ODBC");
    sqlca.AutoCommit = false;
    sqlca.DBParm = QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'");
    sqlca.connect();
}

} // namespace test_support
