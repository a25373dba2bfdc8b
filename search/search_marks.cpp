#include "search_marks.h"

namespace search {
namespace {

QStringList columns_for(const QString& caption)
{
    if (caption == QLatin1String("All"))
        return {QStringLiteral("pitanje"), QStringLiteral("proizvod"), QStringLiteral("lot"), QStringLiteral("odgovor"),
                QStringLiteral("adresa")};
    return {column_for_caption(caption)};
}

} // namespace

marks::rule marks_for(const criteria& c)
{
    marks::rule rule;
    rule.add(c.text1, columns_for(c.field1));
    if (c.text1.isEmpty() || c.connector != QLatin1String("NOT"))
        rule.add(c.text2, columns_for(c.field2));
    return rule;
}

} // namespace search
