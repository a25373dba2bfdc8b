// The word search on a real database: each database's index tells where the words stand, the
// program ranks from that. Every typed word must begin a word somewhere in the entry, in any
// order, diacritics and case ignored; the best places first. Changes by another program are
// found at once. Over the sample entries and a generated table of a few thousand entries (where
// the search stops asking early, and tells its first rows before the rest) each database lists
// exactly what ranking the whole table read literally gives, so both list the same. Runs on
// SQLite and PostgreSQL.

#include <QTest>
#include <memory>

#include "command_line.h"
#include "faq_fixture.h"
#include "transaction.h"
#include "unexpected_dialogs.h"
#include "whole_table_ranking.h"
#include "word_search.h"
#include "word_statements.h"
#include "words.h"

using test_support::faq_fixture;

class tst_word_search : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> db;
    std::unique_ptr<transaction> sqlca;

    // The entry numbers the word search lists for the typed text, in its order.
    static QList<int> numbers_of(const words::best_hits& best)
    {
        QList<int> numbers;
        for (const words::hit& h : best.hits)
            numbers << h.rbr;
        return numbers;
    }

    // The entry numbers the word search lists for the typed text, in its order; `told`, when
    // given, gets the first rows it told before the end, each time.
    QList<int> listed(const QString& typed, int limit = words::listed_at_most, bool* more = nullptr,
                      QList<QList<int>>* told = nullptr)
    {
        words::first_rows early;
        if (told != nullptr)
            early = [&](const words::best_hits& so_far) { *told << numbers_of(so_far); };
        const words::best_hits best = words::find_best(*sqlca, marks::typed_words(typed), limit, early);
        if (!sqlca->succeeded())
            qWarning("word search failed: %s", qPrintable(sqlca->SQLErrText));
        if (more != nullptr)
            *more = best.more;
        return numbers_of(best);
    }

    // What ranking every entry of the table gives.
    QList<int> ranked_whole_table(const QString& typed)
    {
        std::vector<test_support::candidate> all;
        for (const faq_fixture::row& r : db->rows())
            all.push_back({r.rbr, r.texts()});
        QList<int> numbers;
        for (const words::hit& h : test_support::rank(marks::typed_words(typed), all))
            numbers << h.rbr;
        return numbers;
    }

    void insert(int rbr, const QString& adresa, const QString& pitanje, const QString& proizvod, const QString& odgovor)
    {
        db->insert(rbr, adresa, pitanje, QStringLiteral("01/02/2020"), proizvod, QString(), odgovor);
    }

private slots:
    void initTestCase()
    {
        db = std::make_unique<faq_fixture>();
        db->recreate_table();
        db->allow_null_texts(); // the tests write NULL texts too
        sqlca = std::make_unique<transaction>(QStringLiteral("words"));
        sqlca->AutoCommit = false;
        sqlca->DBParm = QStringLiteral("ConnectString='DSN=FAQ;UID=mirt;PWD=mirt'");
        sqlca->connect();
        QVERIFY2(sqlca->succeeded(), qPrintable(sqlca->SQLErrText));
    }
    void cleanupTestCase() { sqlca->disconnect(); }
    void init() { db->clear(); }

    void best_places_first_data();
    void best_places_first();
    void changes_by_another_program_are_found_at_once();
    void both_databases_list_what_the_whole_table_ranks_data();
    void both_databases_list_what_the_whole_table_ranks();
    void the_best_of_a_generated_table_as_the_whole_table_ranks();
};

void tst_word_search::best_places_first_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("expected");
    // Whole words above beginnings, question and keywords above product, product above answer.
    QTest::newRow("one word") << "pump" << QList<int>{1, 2, 3, 5};
    QTest::newRow("two words") << "noise pump" << QList<int>{1, 2, 5};
    QTest::newRow("any order, case ignored") << "PUMP Noise" << QList<int>{1, 2, 5};
    QTest::newRow("two letters: equal ones by number") << "pu" << QList<int>{1, 3, 2, 5};
    QTest::newRow("without diacritics: exact spelling first") << "sum" << QList<int>{4, 3};
    QTest::newRow("with diacritics: exact spelling first") << "šum" << QList<int>{3, 4};
    QTest::newRow("diacritics inside a beginning") << "lez" << QList<int>{3};
    QTest::newRow("a letter of its own is not one without diacritics") << "dak" << QList<int>{};
    QTest::newRow("a letter of its own, either case") << "ĐAK" << QList<int>{4};
    QTest::newRow("words of a product code") << "p-1" << QList<int>{1};
    QTest::newRow("a word in no entry") << "valve pump" << QList<int>{5};
    QTest::newRow("nothing found") << "xyzzy" << QList<int>{};
    QTest::newRow("no word typed") << " - " << QList<int>{};
}

void tst_word_search::best_places_first()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, expected);
    insert(1, QStringLiteral("pump"), QStringLiteral("Pump makes noise"), QStringLiteral("P-1"),
           QStringLiteral("Check the bearing."));
    insert(2, QString(), QStringLiteral("Fan"), QStringLiteral("Pumpe X"),
           QStringLiteral("The pump is loud; noise from the pumping."));
    insert(3, QStringLiteral("šum"), QStringLiteral("Šum pumpe"), QString(), QStringLiteral("Ležaj."));
    insert(4, QString(), QStringLiteral("Sum of hours"), QString(), QStringLiteral("Counter noise, đak."));
    insert(5, QString(), QStringLiteral("Valve"), QString(), QStringLiteral("pumpkin noise"));
    QCOMPARE(listed(typed), expected);
    QVERIFY2(sqlca->succeeded(), qPrintable(sqlca->SQLErrText));
}

void tst_word_search::changes_by_another_program_are_found_at_once()
{
    insert(1, QString(), QStringLiteral("Pump"), QString(), QStringLiteral("Old answer"));
    QCOMPARE(listed(QStringLiteral("gasket")), QList<int>{});
    const struct {
        const char* statements;
        QList<int> gasket;
        QList<int> old;
    } steps[] = {
        {"INSERT INTO faq (rbr, pitanje, odgovor) VALUES (2, 'Leak', 'Replace the gasket.')", {2}, {1}},
        {"UPDATE faq SET odgovor = 'A new gasket.' WHERE rbr = 1", {1, 2}, {}},
        {"DELETE FROM faq WHERE rbr = 2", {1}, {}},
    };
    for (const auto& step : steps) {
        const test_support::run_result changed = test_support::command_line(*db, QLatin1String(step.statements));
        QVERIFY2(changed.exit_code == 0, qPrintable(changed.output));
        QCOMPARE(listed(QStringLiteral("gasket")), step.gasket);
        QCOMPARE(listed(QStringLiteral("old")), step.old);
    }
}

void tst_word_search::both_databases_list_what_the_whole_table_ranks_data()
{
    QTest::addColumn<QString>("typed");
    for (const char* typed : {"pump", "reagent temperature", "temperature reagent", "re", "analy", "zelba 400", "e 31",
                              "usb firmware stick", "sum", "šum", "ciscenje", "odrz", "sto", "zzz"})
        QTest::newRow(typed) << QString::fromUtf8(typed);
}

void tst_word_search::both_databases_list_what_the_whole_table_ranks()
{
    QFETCH(QString, typed);
    db->load_sample_entries();
    const QList<int> expected = ranked_whole_table(typed);
    QCOMPARE(listed(typed), expected);
}

void tst_word_search::the_best_of_a_generated_table_as_the_whole_table_ranks()
{
    const int rows = 3000;
    db->generate_word_entries(rows);
    qsizetype told_early = 0;
    QCOMPARE(db->count(), rows);
    for (const char* typed : {"pump", "pump noise", "noise drift pump", "pu", "sum", "šum lezaj", "ležaj", "ci",
                              "gasket valve filter", "zeolite"}) {
        const QString text = QString::fromUtf8(typed);
        const QList<int> whole_table = ranked_whole_table(text);
        for (const int limit : {5, words::listed_at_most}) {
            bool more = false;
            QList<QList<int>> told;
            const QList<int> best = listed(text, limit, &more, &told);
            QVERIFY2(sqlca->succeeded(), qPrintable(sqlca->SQLErrText));
            QCOMPARE(best, whole_table.mid(0, limit));
            QCOMPARE(more, whole_table.size() > limit);
            // Rows told early are the list's first rows, more each time.
            for (qsizetype i = 0; i < told.size(); ++i) {
                QCOMPARE(told[i], best.mid(0, told[i].size()));
                QVERIFY(!told[i].isEmpty() && told[i].size() < best.size());
                QVERIFY(i == 0 || told[i].size() > told[i - 1].size());
            }
            told_early += told.size();
        }
    }
    QVERIFY2(told_early > 0, "no search told its first rows early");
}

QTEST_GUILESS_MAIN(tst_word_search)
#include "tst_word_search.moc"
