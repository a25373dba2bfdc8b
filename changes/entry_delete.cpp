#include "entry_delete.h"

#include "statements.h"

namespace changes {

change_outcome delete_entry(transaction& sqlca, std::int16_t rbr, const std::function<bool()>& confirm)
{
    if (!confirm())
        return change_outcome::of(change_outcome::result::cancelled, rbr);
    statements::delete_entry(sqlca, rbr);
    if (sqlca.succeeded())
        sqlca.commit();
    if (!sqlca.succeeded())
        return change_outcome::failure(QStringLiteral("DELETE FROM faq WHERE rbr=") + QString::number(rbr),
                                       sqlca.SQLErrText);
    return change_outcome::of(change_outcome::result::deleted, rbr);
}

} // namespace changes
