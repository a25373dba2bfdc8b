#include "search_statement.h"

#include <QStringList>

#include "statements.h"

namespace search {
namespace {

// A backslash is LIKE's escape character on PostgreSQL and an ordinary character on SQLite.
// Naming it as the escape on both (with each typed backslash doubled in the literal) makes a
// typed backslash match itself everywhere; a text without one keeps the plain condition.
QString like(const QString& column, const QString& text)
{
    QString condition = column + QStringLiteral(" LIKE '%") + literal_text(text) + QStringLiteral("%'");
    if (text.contains(QLatin1Char('\\')))
        condition += QStringLiteral(" ESCAPE '\\'");
    return condition;
}

} // namespace

QString column_for_caption(const QString& caption)
{
    struct mapping {
        QLatin1StringView caption;
        QLatin1StringView column;
    };
    static constexpr mapping table[] = {
        {QLatin1StringView("Question"), QLatin1StringView("pitanje")},
        {QLatin1StringView("LOT"), QLatin1StringView("lot")},
        {QLatin1StringView("Product"), QLatin1StringView("proizvod")},
        {QLatin1StringView("Answer"), QLatin1StringView("odgovor")},
        {QLatin1StringView("Keyword"), QLatin1StringView("adresa")},
        {QLatin1StringView("Address"), QLatin1StringView("adresa")}, // the keywords, like "Keyword"
    };
    for (const mapping& entry : table) {
        if (caption == entry.caption) // exact, case included
            return entry.column;
    }
    return caption;
}

QString literal_text(const QString& text)
{
    QString literal;
    literal.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\'')) {
            literal += QLatin1String("''");
        } else if (c == QLatin1Char('\\')) {
            literal += QLatin1String("\\\\");
        } else {
            literal += c;
        }
    }
    return literal;
}

QString criterion_condition(const QString& text, const QString& caption)
{
    if (text.isEmpty())
        return {};
    if (caption == QLatin1String("All")) {
        static const QStringList all_columns = {QStringLiteral("pitanje"), QStringLiteral("proizvod"),
                                                QStringLiteral("lot"), QStringLiteral("odgovor"),
                                                QStringLiteral("adresa")};
        QStringList parts;
        for (const QString& column : all_columns)
            parts << like(column, text);
        return parts.join(QStringLiteral(" OR "));
    }
    return like(column_for_caption(caption), text);
}

QString joined_condition(const QString& first, const QString& second, const QString& connector)
{
    if (connector == QLatin1String("NOT"))
        return QLatin1Char('(') + first + QStringLiteral(") AND NOT (") + second + QLatin1Char(')');
    return QLatin1Char('(') + first + QStringLiteral(") ") + connector + QStringLiteral(" (") + second
           + QLatin1Char(')');
}

QString statement_for(const QString& condition)
{
    QString statement = QString::fromUtf16(statements::search_select);
    if (!condition.isEmpty())
        statement += QString::fromUtf16(statements::search_where) + condition;
    return statement;
}

QString compose(const criteria_reader& read)
{
    QString u1 = read.text1();
    QString upit = u1.isEmpty() ? QString() : criterion_condition(u1, read.field1());
    u1 = read.text2();
    const QString deo = u1.isEmpty() ? QString() : criterion_condition(u1, read.field2());
    if (!upit.isEmpty() && !deo.isEmpty())
        upit = joined_condition(upit, deo, read.connector());
    else if (upit.isEmpty())
        upit = deo; // a criterion standing alone ignores the connector, "NOT" included
    return statement_for(upit);
}

QString compose(const criteria& c)
{
    return compose(criteria_reader{[&] { return c.text1; }, [&] { return c.field1; }, [&] { return c.text2; },
                                   [&] { return c.field2; }, [&] { return c.connector; }});
}

} // namespace search
