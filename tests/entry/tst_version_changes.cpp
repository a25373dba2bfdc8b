// What a change to an entry did, as the list of its earlier versions says it.

#include <QTest>

#include "unexpected_dialogs.h"
#include "version_changes.h"

namespace {

history::version version_of(const statements::entry_texts& texts, const QString& change = QStringLiteral("update"))
{
    history::version version;
    version.texts = texts;
    version.change = change;
    return version;
}

const statements::entry_texts base{QStringLiteral("k"), QStringLiteral("q"), QStringLiteral("p"), QStringLiteral("l"),
                                   QStringLiteral("a")};

} // namespace

class tst_version_changes : public QObject {
    Q_OBJECT
private slots:
    void names_the_changed_fields_in_the_window_order();
    void a_deletion_and_what_cannot_be_told();
};

void tst_version_changes::names_the_changed_fields_in_the_window_order()
{
    statements::entry_texts after = base;
    after.odgovor = QStringLiteral("A");
    QCOMPARE(version_changes::describe(version_of(base), after), QStringLiteral("Notes changed"));
    after.adresa = QStringLiteral("k2");
    after.proizvod = QStringLiteral("p2");
    after.lot = QStringLiteral("l ");
    after.pitanje = QStringLiteral("Q");
    QCOMPARE(version_changes::fields(base, after),
             (QStringList{QStringLiteral("Keywords"), QStringLiteral("Question"), QStringLiteral("LOT"),
                          QStringLiteral("Product"), QStringLiteral("Notes")}));
    QCOMPARE(version_changes::describe(version_of(base), after),
             QStringLiteral("Keywords, Question, LOT, Product, Notes changed"));
    // A line break written another way is a change of its own.
    statements::entry_texts line_breaks = base;
    line_breaks.odgovor = QStringLiteral("a\r\nb");
    statements::entry_texts unix_breaks = base;
    unix_breaks.odgovor = QStringLiteral("a\nb");
    QCOMPARE(version_changes::fields(line_breaks, unix_breaks), QStringList{QStringLiteral("Notes")});
}

void tst_version_changes::a_deletion_and_what_cannot_be_told()
{
    QCOMPARE(version_changes::describe(version_of(base, QStringLiteral("delete")), std::nullopt),
             QStringLiteral("Deleted"));
    QCOMPARE(version_changes::describe(version_of(base, QStringLiteral("delete")), base), QStringLiteral("Deleted"));
    // The next state is unknown (the entry is gone and no deletion was kept).
    QCOMPARE(version_changes::describe(version_of(base), std::nullopt), QStringLiteral("Changed"));
    // Only the number or the creation date changed (another program did it).
    QCOMPARE(version_changes::describe(version_of(base), base), QStringLiteral("Number or date changed"));
}

TARVO_GUILESS_TEST_MAIN(tst_version_changes)
#include "tst_version_changes.moc"
