#include "version_changes.h"

namespace version_changes {

QStringList fields(const statements::entry_texts& before, const statements::entry_texts& after)
{
    QStringList changed;
    if (before.adresa != after.adresa)
        changed << QStringLiteral("Keywords");
    if (before.pitanje != after.pitanje)
        changed << QStringLiteral("Question");
    if (before.lot != after.lot)
        changed << QStringLiteral("LOT");
    if (before.proizvod != after.proizvod)
        changed << QStringLiteral("Product");
    if (before.odgovor != after.odgovor)
        changed << QStringLiteral("Notes");
    return changed;
}

QString describe(const history::version& older, const std::optional<statements::entry_texts>& after)
{
    if (older.change == QLatin1String("delete"))
        return QStringLiteral("Deleted");
    if (!after)
        return QStringLiteral("Changed");
    const QStringList changed = fields(older.texts, *after);
    // A change of the number or the creation date alone (made by another program).
    if (changed.isEmpty())
        return QStringLiteral("Number or date changed");
    return changed.join(QStringLiteral(", ")) + QStringLiteral(" changed");
}

} // namespace version_changes
