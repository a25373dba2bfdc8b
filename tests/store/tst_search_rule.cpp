// One search rule on both databases: a search ignores the case of every letter, Croatian ones
// included, while "%", "_", a backslash and an apostrophe keep the meaning the composed
// statement gives them. The statements are the program's own (search::compose) and run through
// the store on the real drivers: SQLite with the LIKE extension its data source loads,
// PostgreSQL with citext columns. The expected entries are the same on both.
// The texts themselves are read back exactly as written, long ones, empty ones and nulls too.
// On PostgreSQL every search runs twice more: read through the trigram indexes wherever the
// planner can use them, and with index scans off; both must find the same entries.

#include <QProcess>
#include <QSqlQuery>
#include <QTest>
#include <set>

#include "dynamic_cursor.h"
#include "faq_fixture.h"
#include "odbc_statement.h"
#include "search_statement.h"
#include "session.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using test_support::backend;
using test_support::connect_session;
using test_support::faq_fixture;

namespace {

using numbers = std::set<int>;

void insert_search_entries(faq_fixture& db)
{
    db.insert(1, QStringLiteral("šum, detektor, optika"), QStringLiteral("Povećan šum signala na fotometru"),
              QStringLiteral("02/18/2020"), QStringLiteral("Fotometar FM-12"), QStringLiteral("ČŽ-2020"),
              QStringLiteral("Đak ili Ćiro: obojica čiste leću."));
    db.insert(2, QStringLiteral("pump, noise"), QStringLiteral("The vacuum Pump makes a rattling noise"),
              QStringLiteral("03/03/2020"), QStringLiteral("Zelba Quintra 400"), QStringLiteral("CA-0320"),
              QStringLiteral("Replace the pump."));
    db.insert(3, QStringLiteral("calibration"), QStringLiteral("PUMP flow is 100% after calibration_run"),
              QStringLiteral("04/04/2020"), QStringLiteral("zelba c 311"), QStringLiteral("LT-31"),
              QStringLiteral("Nothing to do."));
    db.insert(4, QStringLiteral("backup"), QStringLiteral("Backup to D:\\Backup\\Labrova"),
              QStringLiteral("04/22/2020"), QStringLiteral("Middleware Labrova 3"), QStringLiteral("LL-3.5"),
              QStringLiteral("Copy it to the share."));
    db.insert(5, QStringLiteral("manual"), QStringLiteral("Where is the operator's manual?"),
              QStringLiteral("09/15/2020"), QStringLiteral("ZELBA Manuals"), QStringLiteral("DOC-HR"),
              QStringLiteral("On the DVD."));
    db.insert(6, QStringLiteral("ЖЁЛТЫЙ, Ωmega"), QStringLiteral("Slova: ΑΒΓ i Кириллица"),
              QStringLiteral("01/01/2021"), QStringLiteral("Ελληνικά"), QStringLiteral("x"), QStringLiteral("ÉCOLE"));
}

// A text of about `length` characters with Croatian letters all through it.
QString long_text(const QString& start, int length)
{
    QString text = start;
    while (text.size() < length)
        text += QStringLiteral("Đurđevak čvršće ŠUMI, žućkasto Ćelavo %1 \\ ' % _ ").arg(text.size());
    return text + QStringLiteral("'kraj'");
}

} // namespace

Q_DECLARE_METATYPE(search::criteria)
Q_DECLARE_METATYPE(numbers)

class tst_search_rule : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> db;
    std::unique_ptr<transaction> sqlca;

    numbers found(const search::criteria& criteria)
    {
        std::vector<statements::list_row> rows;
        statements::retrieve(*sqlca, search::compose(criteria), rows);
        numbers result;
        for (const auto& row : rows)
            result.insert(row.rbr.value_or(0));
        return result;
    }

    statements::entry_texts load(std::int16_t rbr)
    {
        dynamic_staging_area sqlsa;
        dynamic_cursor cursor(*sqlca, sqlsa);
        cursor.prepare(statements::load_statement(rbr));
        cursor.open();
        statements::entry_texts row;
        statements::entry_texts last;
        for (cursor.fetch(row); sqlca->SQLCode == 0; cursor.fetch(row))
            last = row;
        return last;
    }

    // The first column of every row a statement returns, run on the program's session.
    QStringList column_of(const QString& text)
    {
        QStringList values;
        sqlca->run_read([&](odbc_connection& connection) {
            odbc_statement statement(connection);
            if (!statement.execute(text)) {
                sqlca->report_failure(statement.error());
                return;
            }
            QString value;
            while (statement.fetch() == odbc_statement::fetched::row && statement.text(1, value))
                values << value;
            sqlca->report_success();
        });
        return values;
    }

    // The planner's choice of scans in the session: "index" reads through an index wherever
    // one serves the condition, "table" never does.
    void plan_with(const QString& scans)
    {
        const bool index = scans == QLatin1String("index");
        column_of(QStringLiteral("SELECT set_config('enable_seqscan', '%1', false), "
                                 "set_config('enable_bitmapscan', '%2', false), "
                                 "set_config('enable_indexscan', '%2', false)")
                      .arg(index ? QStringLiteral("off") : QStringLiteral("on"),
                           index ? QStringLiteral("on") : QStringLiteral("off")));
        QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    }

    statements::list_row listed(int rbr)
    {
        std::vector<statements::list_row> rows;
        statements::retrieve(
            *sqlca, QString::fromUtf16(statements::search_select) + QStringLiteral(" WHERE rbr = %1").arg(rbr), rows);
        return rows.size() == 1 ? rows.front() : statements::list_row{};
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void search_ignores_the_case_of_every_letter_data();
    void search_ignores_the_case_of_every_letter();
    void long_pattern_is_read_through_the_index_data();
    void long_pattern_is_read_through_the_index();
    void texts_are_read_back_exactly();
    void null_texts_read_as_empty();
    void not_search_finds_entries_with_null_texts_data();
    void not_search_finds_entries_with_null_texts();
    void older_table_is_converted_without_loss();
};

void tst_search_rule::initTestCase()
{
    db = std::make_unique<faq_fixture>();
    sqlca = std::make_unique<transaction>(QStringLiteral("search_rule"));
    connect_session(*sqlca);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
}

void tst_search_rule::cleanupTestCase()
{
    sqlca.reset();
    db.reset();
}

void tst_search_rule::search_ignores_the_case_of_every_letter_data()
{
    // clang-format off
    QTest::addColumn<search::criteria>("criteria");
    QTest::addColumn<numbers>("expected");
    const QString none;
    auto one = [&](const char* name, const QString& text, const char* field, numbers expected) {
        QTest::newRow(name) << search::criteria{text, QString::fromLatin1(field), none, QStringLiteral("All"), QStringLiteral("AND")}
                            << expected;
    };
    one("Croatian capitals find small letters", QStringLiteral("ŠUM"), "Question", {1});
    one("Croatian small letters", QStringLiteral("šum"), "Question", {1});
    one("mixed case keywords", QStringLiteral("Šum, DETEKTOR"), "Keyword", {1});
    one("small Č and Ž find capitals", QStringLiteral("čž-"), "LOT", {1});
    one("Đ and Ć", QStringLiteral("đAK ILI ćIRO"), "Answer", {1});
    one("small ASCII finds capitals", QStringLiteral("pump"), "Question", {2, 3});
    one("ASCII capitals find small letters", QStringLiteral("PUMP"), "Question", {2, 3});
    one("percent is any run", QStringLiteral("pump%NOISE"), "Question", {2});
    one("percent typed in the text", QStringLiteral("100%After"), "Question", {3});
    one("underscore is one character", QStringLiteral("P_MP"), "Question", {2, 3});
    one("underscore needs a character", QStringLiteral("calibration_"), "Keyword", {});
    one("underscore at the end", QStringLiteral("CALIBRATIO_"), "Keyword", {3});
    one("backslash matches itself", QStringLiteral("d:\\backup\\lab"), "Question", {4});
    one("two backslashes match two", QStringLiteral("D:\\\\Backup"), "Question", {});
    one("apostrophe", QStringLiteral("OPERATOR'S"), "Question", {5});
    one("Cyrillic", QStringLiteral("жёлтый"), "Keyword", {6});
    one("Greek", QStringLiteral("ελληνικά"), "Product", {6});
    one("Greek capital in a word", QStringLiteral("ωMEGA"), "Keyword", {6});
    one("accented Latin", QStringLiteral("école"), "Answer", {6});
    one("all five fields", QStringLiteral("ŠUM"), "All", {1});
    one("no entry", QStringLiteral("zeolite"), "All", {});
    one("one letter", QStringLiteral("Ž"), "LOT", {1});
    one("one small Croatian letter in all fields", QStringLiteral("ć"), "All", {1});
    one("two letters", QStringLiteral("ćI"), "Answer", {1});
    one("two letters in all fields", QStringLiteral("Lt"), "All", {3});
    one("only wildcards", QStringLiteral("%_%"), "All", {1, 2, 3, 4, 5, 6});
    one("a trigram split by a wildcard", QStringLiteral("pu_p"), "Question", {2, 3});
    one("apostrophe in all fields", QStringLiteral("r's m"), "All", {5});
    QTest::newRow("zelba NOT pump") << search::criteria{QStringLiteral("zelba"), QStringLiteral("Product"), QStringLiteral("pump"),
                                                        QStringLiteral("Question"), QStringLiteral("NOT")}
                                    << numbers{5};
    QTest::newRow("zelba AND pump") << search::criteria{QStringLiteral("zelba"), QStringLiteral("Product"), QStringLiteral("PUMP"),
                                                        QStringLiteral("Question"), QStringLiteral("AND")}
                                    << numbers{2, 3};
    QTest::newRow("ZELBA OR šum") << search::criteria{QStringLiteral("ZELBA"), QStringLiteral("Product"), QStringLiteral("ŠUM"),
                                                      QStringLiteral("Keyword"), QStringLiteral("OR")}
                                  << numbers{1, 2, 3, 5};
    // clang-format on
}

void tst_search_rule::search_ignores_the_case_of_every_letter()
{
    QFETCH(search::criteria, criteria);
    QFETCH(numbers, expected);
    db->clear();
    insert_search_entries(*db);
    const numbers result = found(criteria);
    QVERIFY2(sqlca->SQLCode == 0 || sqlca->SQLCode == 100, qPrintable(sqlca->SQLErrText));
    QCOMPARE(result, expected);
    if (db->which() != backend::postgresql)
        return;
    for (const QString& scans : {QStringLiteral("index"), QStringLiteral("table")}) {
        plan_with(scans);
        const numbers planned = found(criteria);
        QVERIFY2(sqlca->SQLCode == 0 || sqlca->SQLCode == 100, qPrintable(sqlca->SQLErrText));
        QCOMPARE(planned, expected);
    }
    column_of(QStringLiteral("RESET ALL"));
}

void tst_search_rule::long_pattern_is_read_through_the_index_data()
{
    QTest::addColumn<search::criteria>("criteria");
    QTest::addColumn<QStringList>("indexes");
    const QStringList all = {QStringLiteral("faq_adresa_search"), QStringLiteral("faq_pitanje_search"),
                             QStringLiteral("faq_proizvod_search"), QStringLiteral("faq_lot_search"),
                             QStringLiteral("faq_odgovor_search")};
    QTest::newRow("one field") << search::criteria{QStringLiteral("Šum signala"),
                                                   QStringLiteral("Question"),
                                                   {},
                                                   QStringLiteral("All"),
                                                   QStringLiteral("AND")}
                               << QStringList{QStringLiteral("faq_pitanje_search")};
    // With a backslash the condition names its escape: citext LIKE text instead of citext.
    QTest::newRow("escape named") << search::criteria{QStringLiteral("d:\\backup"),
                                                      QStringLiteral("Question"),
                                                      {},
                                                      QStringLiteral("All"),
                                                      QStringLiteral("AND")}
                                  << QStringList{QStringLiteral("faq_pitanje_search")};
    QTest::newRow("all fields") << search::criteria{QStringLiteral("optika"),
                                                    QStringLiteral("All"),
                                                    {},
                                                    QStringLiteral("All"),
                                                    QStringLiteral("AND")}
                                << all;
}

void tst_search_rule::long_pattern_is_read_through_the_index()
{
    QFETCH(search::criteria, criteria);
    QFETCH(QStringList, indexes);
    if (db->which() != backend::postgresql)
        QSKIP("SQLite searches read the table");
    db->clear();
    insert_search_entries(*db);
    plan_with(QStringLiteral("index"));
    const QString plan = column_of(QStringLiteral("EXPLAIN ") + search::compose(criteria)).join(QLatin1Char('\n'));
    column_of(QStringLiteral("RESET ALL"));
    QVERIFY2(!plan.contains(QStringLiteral("Seq Scan")), qPrintable(plan));
    for (const QString& index : indexes)
        QVERIFY2(plan.contains(QStringLiteral("Bitmap Index Scan on ") + index), qPrintable(plan));
}

void tst_search_rule::texts_are_read_back_exactly()
{
    db->clear();
    db->allow_null_texts(); // a table that keeps NULL apart from the empty text
    // Long enough that every reader has to fetch them in many pieces.
    const statements::entry_texts written{QStringLiteral("čćžšđ ČĆŽŠĐ"), long_text(QStringLiteral("Pitanje: "), 300000),
                                          QStringLiteral("Proizvod Ž"), QString(),
                                          long_text(QStringLiteral("Odgovor: "), 500000)};
    statements::insert_entry(*sqlca, 7, written, QStringLiteral("12/31/2024"));
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    sqlca->commit();
    const statements::entry_texts changed{QString(), QStringLiteral("Kratko pitanje?"), QString(),
                                          QStringLiteral("LOT-Đ"), long_text(QStringLiteral("Novi odgovor: "), 400000)};
    statements::insert_entry(*sqlca, 8, written, QStringLiteral("12/31/2024"));
    statements::update_entry(*sqlca, changed, 8);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
    sqlca->commit();

    for (const auto& [rbr, expected] : {std::pair{7, written}, std::pair{8, changed}}) {
        // The entry window's load cursor.
        const statements::entry_texts loaded = load(static_cast<std::int16_t>(rbr));
        QCOMPARE(loaded.adresa, expected.adresa);
        QCOMPARE(loaded.pitanje.size(), expected.pitanje.size());
        QCOMPARE(loaded.pitanje, expected.pitanje);
        QCOMPARE(loaded.proizvod, expected.proizvod);
        QCOMPARE(loaded.lot, expected.lot);
        QCOMPARE(loaded.odgovor.size(), expected.odgovor.size());
        QCOMPARE(loaded.odgovor, expected.odgovor);
        // The result list.
        const statements::list_row row = listed(rbr);
        QCOMPARE(row.rbr, std::optional<int>(rbr));
        QCOMPARE(row.proizvod, expected.proizvod);
        QCOMPARE(row.pitanje.size(), expected.pitanje.size());
        QCOMPARE(row.pitanje, expected.pitanje);
        // Another client's plain query.
        const auto stored = db->find(rbr);
        QVERIFY(stored);
        QCOMPARE(stored->odgovor, expected.odgovor);
        QCOMPARE(stored->datum, QStringLiteral("12/31/2024"));
    }
    // A search finds words deep inside a long answer, whatever their case: only the first
    // answer runs to six-digit places that start with 4.
    QCOMPARE(found({QStringLiteral("ČVRŠĆE šumi, ŽUĆKASTO ćelavo 4_____ \\"),
                    QStringLiteral("Answer"),
                    {},
                    QStringLiteral("All"),
                    QStringLiteral("AND")}),
             numbers{7});

    if (db->which() == backend::postgresql) {
        QSqlQuery types(db->admin());
        QVERIFY(types.exec(QStringLiteral("SELECT count(*) FROM information_schema.columns WHERE table_name = 'faq' "
                                          "AND udt_name = 'citext'")));
        QVERIFY(types.next());
        QCOMPARE(types.value(0).toInt(), 5); // the five searched columns
    }
}

void tst_search_rule::null_texts_read_as_empty()
{
    db->recreate_table();
    db->allow_null_texts();
    db->exec(QStringLiteral("INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) "
                            "VALUES (9, NULL, NULL, NULL, NULL, NULL, NULL)"));
    const statements::entry_texts loaded = load(9);
    QVERIFY2(sqlca->SQLCode == 100, qPrintable(sqlca->SQLErrText));
    for (const QString* text : {&loaded.adresa, &loaded.pitanje, &loaded.proizvod, &loaded.lot, &loaded.odgovor})
        QVERIFY(text->isEmpty());
    const statements::list_row row = listed(9);
    QCOMPARE(row.rbr, std::optional<int>(9));
    QVERIFY(row.proizvod.isEmpty() && row.pitanje.isEmpty());
    // A null matches no search, not even "%".
    QCOMPARE(found({QStringLiteral("%"), QStringLiteral("All"), {}, QStringLiteral("All"), QStringLiteral("AND")}),
             numbers{});
    db->recreate_table();
}

void tst_search_rule::not_search_finds_entries_with_null_texts_data()
{
    QTest::addColumn<search::criteria>("criteria");
    QTest::addColumn<numbers>("expected");
    auto zelba_not = [](const char* name, const char* text, const char* field, numbers expected) {
        QTest::newRow(name) << search::criteria{QStringLiteral("zelba"), QStringLiteral("Product"),
                                                QString::fromUtf8(text), QString::fromLatin1(field),
                                                QStringLiteral("NOT")}
                            << expected;
    };
    // Entry 21 has no question, 20 no LOT and 22 no text at all.
    zelba_not("question NULL", "pump", "Question", {5, 21});
    zelba_not("LOT NULL", "-3", "LOT", {2, 5, 20, 21});
    zelba_not("NULLs in all fields", "CA-", "All", {3, 5, 20});
}

void tst_search_rule::not_search_finds_entries_with_null_texts()
{
    QFETCH(search::criteria, criteria);
    QFETCH(numbers, expected);
    // An older table with rows another program put in.
    db->recreate_table();
    db->allow_null_texts();
    insert_search_entries(*db);
    db->exec(
        QStringLiteral("INSERT INTO faq (rbr, pitanje, proizvod) VALUES (20, 'Pump without a LOT', 'Zelba e 411')"));
    db->exec(QStringLiteral("INSERT INTO faq (rbr, proizvod, lot) VALUES (21, 'zelba u 601', 'CA-9')"));
    db->exec(QStringLiteral("INSERT INTO faq (rbr) VALUES (22)"));
    if (db->which() == backend::postgresql) {
        // The set-up's upgrade, run twice: the NULLs become empty texts, with no version made.
        for (int run = 1; run <= 2; ++run)
            db->run_script(test_support::source_dir() + QStringLiteral("/db/faq-empty-texts.postgresql.sql"));
        QCOMPARE(column_of(QStringLiteral("SELECT count(*) || ' ' || (SELECT count(*) FROM faq_history) FROM faq "
                                          "WHERE num_nulls(adresa, pitanje, proizvod, lot, odgovor) > 0")),
                 QStringList{QStringLiteral("0 0")});
    }
    QCOMPARE(found(criteria), expected);
    QVERIFY2(sqlca->SQLCode >= 0, qPrintable(sqlca->SQLErrText));
    db->recreate_table();
}

void tst_search_rule::older_table_is_converted_without_loss()
{
    if (db->which() != backend::postgresql)
        QSKIP("the conversion is PostgreSQL's");
    // The table as it was before: plain text columns, created by mirt.
    db->exec(QStringLiteral("DROP TABLE faq"));
    db->exec(QStringLiteral("CREATE TABLE faq (rbr integer NOT NULL PRIMARY KEY, adresa text, pitanje text, "
                            "datum varchar(10), proizvod varchar(200), lot text, odgovor text)"));
    insert_search_entries(*db);
    db->insert(10, QString(), QStringLiteral("   blanks kept   "), QStringLiteral("01/01/2000"), QStringLiteral("Ž"),
               QString(), long_text(QString(), 200000));
    db->exec(QStringLiteral("INSERT INTO faq VALUES (11, NULL, 'null keywords', NULL, NULL, NULL, NULL)"));
    const auto before = db->rows();
    QCOMPARE(
        found({QStringLiteral("ŠUM"), QStringLiteral("Question"), {}, QStringLiteral("All"), QStringLiteral("AND")}),
        numbers{});

    // The documented step, run by the table's owner, twice.
    for (int run = 1; run <= 2; ++run) {
        QProcess psql;
        psql.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("mirt"));
        psql.setProcessEnvironment(environment);
        psql.start(QStringLiteral("psql"),
                   {QStringLiteral("-X"), QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                    QString::number(db->postgresql_port()), QStringLiteral("-U"), QStringLiteral("mirt"),
                    QStringLiteral("-d"), QStringLiteral("faq"), QStringLiteral("-v"),
                    QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-f"),
                    test_support::source_dir() + QStringLiteral("/db/faq-citext.postgresql.sql")});
        QVERIFY(psql.waitForFinished(60000));
        const QString output = QString::fromUtf8(psql.readAll());
        QVERIFY2(psql.exitStatus() == QProcess::NormalExit && psql.exitCode() == 0, qPrintable(output));
        if (run == 1)
            QVERIFY2(output.contains(QStringLiteral("faq.proizvod: character varying(200) converted to citext")),
                     qPrintable(output));
        else
            QVERIFY2(!output.contains(QStringLiteral("converted")), qPrintable(output));
    }

    const auto after = db->rows();
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        QCOMPARE(after[i].rbr, before[i].rbr);
        QCOMPARE(after[i].adresa, before[i].adresa);
        QCOMPARE(after[i].adresa.isNull(), before[i].adresa.isNull());
        QCOMPARE(after[i].pitanje, before[i].pitanje);
        QCOMPARE(after[i].datum, before[i].datum);
        QCOMPARE(after[i].proizvod, before[i].proizvod);
        QCOMPARE(after[i].lot, before[i].lot);
        QCOMPARE(after[i].odgovor, before[i].odgovor);
    }
    QCOMPARE(
        found({QStringLiteral("ŠUM"), QStringLiteral("Question"), {}, QStringLiteral("All"), QStringLiteral("AND")}),
        numbers{1});
    db->recreate_table();
}

TARVO_GUILESS_TEST_MAIN(tst_search_rule)
#include "tst_search_rule.moc"
