// Bad input on the real databases: searches composed from thousands of random hostile texts
// all run (no syntax error, nothing in the table changes), a piece of a stored text with
// apostrophes, backslashes and characters beyond U+FFFF finds its entry, and entry texts of
// every kind are stored and loaded back exactly.
// Runs once on SQLite and once on PostgreSQL, with a fixed seed.

#include <QTest>
#include <memory>
#include <set>

#include "dynamic_cursor.h"
#include "faq_fixture.h"
#include "hostile_text.h"
#include "search_statement.h"
#include "session.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using reliability::hostile_text;
using statements::entry_texts;
using test_support::backend;
using test_support::faq_fixture;

namespace {

constexpr unsigned seed = 20261208;
constexpr int searches_per_run = 2000;
constexpr int stored_entries = 40;
constexpr int round_trips = 300;

const QStringList captions = {"Address", "Question", "LOT", "Product", "Answer", "All", "Keyword"};
const QStringList connectors = {"AND", "OR", "NOT"};

entry_texts random_entry(hostile_text& random, int max_pieces)
{
    return {random.next(max_pieces), random.with_apostrophe(max_pieces), random.next(max_pieces),
            random.next(max_pieces), random.next(max_pieces)};
}

} // namespace

class tst_bad_input : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;
    std::unique_ptr<transaction> sqlca;

    // Loads an entry back through the program's own load cursor; SQLCode tells how the cursor
    // ended (100 after the last row).
    entry_texts load(std::int16_t rbr)
    {
        dynamic_staging_area sqlsa;
        dynamic_cursor cursor(*sqlca, sqlsa);
        cursor.prepare(statements::load_statement(rbr));
        cursor.open();
        entry_texts row;
        entry_texts last;
        for (cursor.fetch(row); sqlca->SQLCode == 0; cursor.fetch(row))
            last = row;
        const long code = sqlca->SQLCode;
        cursor.close();
        sqlca->SQLCode = code;
        return last;
    }

    std::set<int> found_by(const QString& statement)
    {
        std::vector<statements::list_row> rows;
        statements::retrieve(*sqlca, statement, rows);
        std::set<int> numbers;
        for (const auto& row : rows)
            numbers.insert(row.rbr.value_or(0));
        return numbers;
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void random_searches_all_run();
    void apostrophe_matches_itself();
    void entry_texts_round_trip_exactly();
};

void tst_bad_input::initTestCase()
{
    fixture = std::make_unique<faq_fixture>();
    sqlca = std::make_unique<transaction>(QStringLiteral("bad_input"));
    test_support::connect_session(*sqlca);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
}

void tst_bad_input::cleanupTestCase()
{
    sqlca.reset();
    fixture.reset();
}

void tst_bad_input::random_searches_all_run()
{
    fixture->recreate_table();
    fixture->allow_null_texts(); // NULL texts among the inputs
    hostile_text random(seed);
    for (int rbr = 1; rbr <= stored_entries; ++rbr) {
        statements::insert_entry(*sqlca, static_cast<std::int16_t>(rbr), random_entry(random, 6),
                                 QStringLiteral("01/02/2003"));
        QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    }
    sqlca->commit();
    const auto before = fixture->rows();

    int failures = 0;
    QString first_failures;
    for (int i = 0; i < searches_per_run; ++i) {
        search::criteria criteria;
        criteria.text1 = random.pick(0, 4) == 0 ? QString() : random.next(5);
        criteria.field1 = random.choose(captions);
        criteria.text2 = random.pick(0, 2) == 0 ? QString() : random.next(5);
        criteria.field2 = random.choose(captions);
        criteria.connector = random.choose(connectors);
        const QString statement = search::compose(criteria);
        std::vector<statements::list_row> rows;
        statements::retrieve(*sqlca, statement, rows);
        if (sqlca->SQLCode != 0 && sqlca->SQLCode != 100) {
            if (++failures <= 5)
                first_failures += statement + QStringLiteral("\n  -> ") + sqlca->SQLErrText + QLatin1Char('\n');
        }
    }
    qInfo("%d random searches on %s, %d failed", searches_per_run,
          qPrintable(test_support::backend_name(fixture->which())), failures);
    QVERIFY2(failures == 0, qPrintable(first_failures));

    // No search text changed the table.
    const auto after = fixture->rows();
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        QCOMPARE(after[i].pitanje, before[i].pitanje);
}

void tst_bad_input::apostrophe_matches_itself()
{
    fixture->recreate_table();
    fixture->allow_null_texts(); // NULL texts among the inputs
    hostile_text random(seed + 1);
    std::vector<QString> questions;
    for (int rbr = 1; rbr <= stored_entries; ++rbr) {
        entry_texts entry = random_entry(random, 8);
        if (rbr == 1) // a path, as in the sample entries: the backslashes must match themselves
            entry.pitanje = QStringLiteral("Backup to D:\\Backup\\Labrova, it's daily");
        questions.push_back(entry.pitanje);
        statements::insert_entry(*sqlca, static_cast<std::int16_t>(rbr), entry, QStringLiteral("01/02/2003"));
        QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    }
    sqlca->commit();

    int tried = 0;
    for (std::size_t i = 0; i < questions.size(); ++i) {
        const QString& question = questions[i];
        const int rbr = static_cast<int>(i) + 1;
        // Every piece of the question around one of its apostrophes finds the entry.
        for (int attempt = 0; attempt < 10; ++attempt) {
            const qsizetype quote =
                question.indexOf(QLatin1Char('\''), random.pick(0, static_cast<int>(question.size()) - 1));
            const qsizetype at = quote < 0 ? question.indexOf(QLatin1Char('\'')) : quote;
            const qsizetype from = std::max<qsizetype>(0, at - random.pick(0, 6));
            QString piece = question.mid(from, at - from + 1 + random.pick(0, 6));
            // Keep surrogate pairs whole.
            if (!piece.isEmpty() && piece.front().isLowSurrogate())
                piece.remove(0, 1);
            if (!piece.isEmpty() && piece.back().isHighSurrogate())
                piece.chop(1);
            QVERIFY(piece.contains(QLatin1Char('\'')));
            const QString statement = search::compose(search::criteria{piece, "Question", {}, "All", "AND"});
            const std::set<int> found = found_by(statement);
            QVERIFY2(sqlca->SQLCode == 0, qPrintable(statement + QStringLiteral("\n") + sqlca->SQLErrText));
            QVERIFY2(found.count(rbr) == 1,
                     qPrintable(QStringLiteral("entry %1 not found by %2").arg(rbr).arg(statement)));
            ++tried;
        }
    }
    const QString path = QStringLiteral("D:\\Backup\\Lab");
    QVERIFY(found_by(search::compose(search::criteria{path, "Question", {}, "All", "AND"})).count(1) == 1);
    QVERIFY(found_by(search::compose(search::criteria{{}, "All", path, "All", "OR"})).count(1) == 1);
    QVERIFY(found_by(search::compose(search::criteria{"D:\\\\Backup", "Question", {}, "All", "AND"})).empty());

    // An apostrophe alone finds exactly the entries whose question holds one: all of them here.
    const std::set<int> all = found_by(search::compose(search::criteria{"'", "Question", {}, "All", "AND"}));
    QCOMPARE(static_cast<int>(all.size()), stored_entries);
    qInfo("%d searches with apostrophes found their entry", tried);
}

void tst_bad_input::entry_texts_round_trip_exactly()
{
    fixture->recreate_table();
    fixture->allow_null_texts(); // NULL texts among the inputs
    hostile_text random(seed + 2);
    int checked = 0;
    for (int rbr = 1; rbr <= round_trips; ++rbr) {
        const auto number = static_cast<std::int16_t>(rbr);
        entry_texts entry = random_entry(random, 30);
        if (rbr % 50 == 0) // now and then a long answer
            entry.odgovor = entry.odgovor.repeated(200) + QStringLiteral("'end'");
        if (rbr % 7 == 0) // and entries with empty fields
            entry.adresa.clear(), entry.lot.clear();
        statements::insert_entry(*sqlca, number, entry, QStringLiteral("12/31/1999"));
        QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
        sqlca->commit();

        const entry_texts loaded = load(number);
        QVERIFY2(sqlca->SQLCode == 100, qPrintable(sqlca->SQLErrText)); // the cursor ran to its end
        QCOMPARE(loaded.adresa, entry.adresa);
        QCOMPARE(loaded.pitanje, entry.pitanje);
        QCOMPARE(loaded.proizvod, entry.proizvod);
        QCOMPARE(loaded.lot, entry.lot);
        QCOMPARE(loaded.odgovor, entry.odgovor);

        // An update with other hostile texts, read back by another connection.
        const entry_texts changed = random_entry(random, 30);
        statements::update_entry(*sqlca, changed, number);
        QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
        sqlca->commit();
        const auto row = fixture->find(rbr);
        QVERIFY(row);
        QCOMPARE(row->adresa, changed.adresa);
        QCOMPARE(row->pitanje, changed.pitanje);
        QCOMPARE(row->proizvod, changed.proizvod);
        QCOMPARE(row->lot, changed.lot);
        QCOMPARE(row->odgovor, changed.odgovor);
        QCOMPARE(row->datum, QStringLiteral("12/31/1999"));
        checked += 2;
    }
    qInfo("%d entry texts stored and read back exactly", checked);
}

TARVO_GUILESS_TEST_MAIN(tst_bad_input)
#include "tst_bad_input.moc"
