// tarvo-transfer as a department moving to tarvo uses it: entries exported and imported back
// come out byte for byte the same, Windows-1250 files arrive as the letters they mean, every
// refusal leaves the table as it was, taken numbers can be renumbered, and the entries of another
// data source are copied in. An import makes no versions in the history. Runs once on SQLite
// and once on PostgreSQL.

#include <QDate>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

#include "faq_fixture.h"
#include "run_program.h"
#include "unexpected_dialogs.h"

using test_support::backend;
using test_support::faq_fixture;
using test_support::run_result;
using test_support::run_transfer;

namespace {

const QByteArray header_line = "rbr,adresa,pitanje,datum,proizvod,lot,odgovor\r\n";

QByteArray read_bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

void write_bytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString all_rows(faq_fixture& fixture)
{
    QStringList rows;
    for (const faq_fixture::row& row : fixture.rows())
        rows << QStringList{QString::number(row.rbr),
                            row.adresa,
                            row.pitanje,
                            row.datum,
                            row.proizvod,
                            row.lot,
                            row.odgovor}
                    .join(u'|');
    return rows.join(u'\n');
}

int history_count(faq_fixture& fixture)
{
    QSqlQuery query(fixture.admin());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM faq_history")) || !query.next())
        qFatal("cannot count the history");
    return query.value(0).toInt();
}

} // namespace

class tst_transfer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fixture = std::make_unique<faq_fixture>(); }
    void init();

    void round_trip_is_byte_identical();
    void windows_1250_file_arrives_as_its_letters();
    void refusal_leaves_the_table_unchanged_data();
    void refusal_leaves_the_table_unchanged();
    void failure_midway_adds_nothing();
    void renumber_gives_taken_numbers_free_ones();
    void copy_from_another_data_source();

private:
    QString file(const QString& name) const { return folder.filePath(name); }
    void check(const run_result& result, int status) const
    {
        QVERIFY2(result.exit_code == status,
                 qPrintable(
                     QStringLiteral("exit %1, expected %2:\n%3").arg(result.exit_code).arg(status).arg(result.output)));
    }

    std::unique_ptr<faq_fixture> fixture;
    QTemporaryDir folder;
};

void tst_transfer::init()
{
    fixture->recreate_table();
    fixture->insert(1, "pump", "Pump flow drifts", "01/02/2020", "Zelba", "LT-1", "Replace the tubing.");
    fixture->insert(2, "firmware", "Firmware update", "03/04/2021", "HT-550", "FW-5", "Copy the file.");
}

void tst_transfer::round_trip_is_byte_identical()
{
    const QString long_answer = QString(200000, u'ž').replace(1000, 4, QStringLiteral("\r\n😀\n"));
    fixture->insert(3, "it's, \"quoted\"", "Što ćemo s ČĆŽŠĐ? 😀", "05/06/2022", "O'Brien 'P'", "\r\n",
                    "line one\r\nline two\nline three\r\n\r\n");
    fixture->insert(4, "", "", "", "", "", long_answer);
    fixture->insert(32767, "last", "The last number", "12/31/2023", "Ω", "LOT", "  blanks kept  ");
    const QString before = all_rows(*fixture);
    const int versions_before = history_count(*fixture);

    check(run_transfer({QStringLiteral("export"), file(QStringLiteral("first.csv"))}), 0);
    fixture->exec(QStringLiteral("DELETE FROM faq"));
    const int versions_after_delete = history_count(*fixture);
    QCOMPARE(versions_after_delete, versions_before + 5);
    const run_result imported = run_transfer({QStringLiteral("import"), file(QStringLiteral("first.csv"))});
    check(imported, 0);
    QVERIFY2(imported.output.contains(QStringLiteral("Added 5 entries")), qPrintable(imported.output));
    QCOMPARE(all_rows(*fixture), before);
    // Adding entries is no change of an entry: the history has no new version.
    QCOMPARE(history_count(*fixture), versions_after_delete);

    check(run_transfer({QStringLiteral("export"), file(QStringLiteral("second.csv"))}), 0);
    const QByteArray first = read_bytes(file(QStringLiteral("first.csv")));
    QCOMPARE(read_bytes(file(QStringLiteral("second.csv"))), first);
    QVERIFY(first.startsWith(header_line));
    QVERIFY(first.contains("3,\"it's, \"\"quoted\"\"\",Što ćemo s ČĆŽŠĐ? 😀,05/06/2022,O'Brien 'P',\"\r\n\","
                           "\"line one\r\nline two\nline three\r\n\r\n\"\r\n"));

    // With the history: the entries, then each kept version with its own columns.
    check(run_transfer({QStringLiteral("export"), QStringLiteral("--history"), file(QStringLiteral("all.csv"))}), 0);
    const QList<QByteArray> lines = read_bytes(file(QStringLiteral("all.csv"))).split('\n');
    QVERIFY(
        lines.front().startsWith("rbr,adresa,pitanje,datum,proizvod,lot,odgovor,version,changed_at,change,changed_by"));
    QCOMPARE(lines.count(QByteArray("1,pump,Pump flow drifts,01/02/2020,Zelba,LT-1,Replace the tubing.,,,,\r")), 1);
    QCOMPARE(std::count_if(lines.begin(), lines.end(),
                           [](const QByteArray& line) {
                               return line.startsWith(
                                          "1,pump,Pump flow drifts,01/02/2020,Zelba,LT-1,Replace the tubing.,")
                                      && line.contains(",delete,");
                           }),
             1);
}

void tst_transfer::windows_1250_file_arrives_as_its_letters()
{
    // č ć ž š đ Č Ć Ž Š Đ and the typographic quotes, as the old program wrote them; no date column.
    write_bytes(file(QStringLiteral("old.csv")),
                "rbr,pitanje,adresa,proizvod,lot,odgovor\r\n"
                "7,\xe8\xe6\x9e\x9a\xf0 \xc8\xc6\x8e\x8a\xd0,\x84kl\x93,P,L,\"a\r\nb\"\r\n");
    check(run_transfer({QStringLiteral("import"), QStringLiteral("--encoding"), QStringLiteral("cp1250"),
                        file(QStringLiteral("old.csv"))}),
          0);
    const auto row = fixture->find(7);
    QVERIFY(row);
    QCOMPARE(row->pitanje, QStringLiteral("čćžšđ ČĆŽŠĐ"));
    QCOMPARE(row->adresa, QStringLiteral("„kl“"));
    QCOMPARE(row->odgovor, QStringLiteral("a\r\nb"));
    QCOMPARE(row->datum, QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")));
}

void tst_transfer::refusal_leaves_the_table_unchanged_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("said");

    const QByteArray ok = "3,k,q,01/01/2020,p,l,a\r\n";
    QTest::newRow("numbers out of range")
        << header_line + ok + "0,k,q,d,p,l,a\r\n32768,k,q,d,p,l,a\r\nx,k,q,d,p,l,a\r\n"
        << QStringList{} << 1
        << QStringList{"line 3: the number \"0\"", "line 4: the number \"32768\"", "line 5: the number \"x\""};
    QTest::newRow("number taken") << header_line + ok + "2,k,q,d,p,l,a\r\n"
                                  << QStringList{} << 1 << QStringList{"line 3: the number 2 is already taken"};
    QTest::newRow("number twice") << header_line + "9,k,q,d,p,l,\"a\r\nb\"\r\n9,k,q,d,p,l,a\r\n"
                                  << QStringList{} << 1
                                  << QStringList{"line 4: the number 9 is in the file twice (first on line 2)"};
    QTest::newRow("field count") << header_line + ok + "4,k,q,d,p,l\r\n5,k,q,d,p,l,a,extra\r\n"
                                 << QStringList{} << 1
                                 << QStringList{"line 3: 6 fields, the header has 7",
                                                "line 4: 8 fields, the header has 7"};
    QTest::newRow("invalid utf-8") << header_line + ok + "4,k,q\xff,d,p,l,a\r\n"
                                   << QStringList{} << 1
                                   << QStringList{"line 3: the text of \"pitanje\" is not valid utf-8"};
    QTest::newRow("byte cp1250 lacks") << header_line + ok + "4,k,q,d,p\x81,l,a\r\n"
                                       << QStringList{"--encoding", "cp1250"} << 1
                                       << QStringList{"line 3: the text of \"proizvod\" is not valid cp1250"};
    QTest::newRow("unknown and missing columns")
        << QByteArray("rbr,pitanje,answer\r\n1,q,a\r\n") << QStringList{} << 1
        << QStringList{"\"answer\" is not a column", "\"adresa\" is missing", "\"odgovor\" is missing"};
    QTest::newRow("quote never closed") << header_line + ok + "4,k,\"q,d,p,l,a\r\n"
                                        << QStringList{} << 1 << QStringList{"line 3: a quoted field is never closed"};
    QTest::newRow("unknown encoding") << header_line + ok << QStringList{"--encoding", "utf-16"} << 2
                                      << QStringList{"utf-16"};
    QTest::newRow("dry run") << header_line + ok + "2,k,q,d,p,l,a\r\n"
                             << QStringList{"--dry-run", "--renumber"} << 0
                             << QStringList{"line 3: the number 2 is taken, added as 4", "2 entries would be added"};
    QTest::newRow("no such data source") << header_line + ok << QStringList{"--data-source", "NOWHERE"} << 3
                                         << QStringList{"NOWHERE"};
}

void tst_transfer::refusal_leaves_the_table_unchanged()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QStringList, said);
    const QString before = all_rows(*fixture);
    write_bytes(file(QStringLiteral("refused.csv")), content);
    const run_result result = run_transfer(QStringList{QStringLiteral("import")} + options
                                           + QStringList{file(QStringLiteral("refused.csv"))});
    check(result, status);
    for (const QString& words : said)
        QVERIFY2(result.output.contains(words), qPrintable(result.output));
    QCOMPARE(all_rows(*fixture), before);
}

void tst_transfer::failure_midway_adds_nothing()
{
    // The database itself refuses the third entry, after two were added in the transaction.
    if (fixture->which() == backend::sqlite)
        fixture->exec(QStringLiteral("CREATE TRIGGER refuse_five BEFORE INSERT ON faq WHEN NEW.rbr = 5 "
                                     "BEGIN SELECT RAISE(ABORT, 'entry five refused'); END"));
    const QByteArray too_long_date = fixture->which() == backend::postgresql ? "01/01/2020 and more" : "01/01/2020";
    write_bytes(file(QStringLiteral("midway.csv")), header_line + "3,k,q,d,p,l,a\r\n4,k,q,d,p,l,a\r\n5,k,q,"
                                                        + too_long_date + ",p,l,a\r\n6,k,q,d,p,l,a\r\n");
    const QString before = all_rows(*fixture);
    const run_result result = run_transfer({QStringLiteral("import"), file(QStringLiteral("midway.csv"))});
    if (fixture->which() == backend::sqlite)
        fixture->exec(QStringLiteral("DROP TRIGGER refuse_five"));
    check(result, 3);
    QVERIFY2(result.output.contains(QStringLiteral("nothing was imported: the entry numbered 5 could not be added")),
             qPrintable(result.output));
    QCOMPARE(all_rows(*fixture), before);
}

void tst_transfer::renumber_gives_taken_numbers_free_ones()
{
    write_bytes(file(QStringLiteral("renumber.csv")),
                header_line + "1,k,first,d,p,l,a\r\n5,k,five,d,p,l,a\r\n5,k,again,d,p,l,a\r\n");
    const run_result result =
        run_transfer({QStringLiteral("import"), QStringLiteral("--renumber"), file(QStringLiteral("renumber.csv"))});
    check(result, 0);
    QVERIFY2(result.output.contains(QStringLiteral("line 2: the number 1 is taken, added as 6")),
             qPrintable(result.output));
    QVERIFY2(result.output.contains(QStringLiteral("line 4: the number 5 is taken, added as 7")),
             qPrintable(result.output));
    QCOMPARE(fixture->find(1)->pitanje, QStringLiteral("Pump flow drifts"));
    QCOMPARE(fixture->find(5)->pitanje, QStringLiteral("five"));
    QCOMPARE(fixture->find(6)->pitanje, QStringLiteral("first"));
    QCOMPARE(fixture->find(7)->pitanje, QStringLiteral("again"));
    QCOMPARE(fixture->count(), 5);
}

void tst_transfer::copy_from_another_data_source()
{
    // The old department database: another SQLite file, its columns in another order.
    const QString old_file = file(QStringLiteral("old-%1.db").arg(test_support::backend_name(fixture->which())));
    QFile::remove(old_file);
    const run_result made = test_support::run(
        QStringLiteral("sqlite3"),
        {old_file, QStringLiteral("CREATE TABLE faq (pitanje TEXT, rbr INTEGER, odgovor TEXT, adresa TEXT, proizvod "
                                  "TEXT, lot TEXT, datum TEXT);"
                                  "INSERT INTO faq VALUES ('Zašto? 😀', 10, 'Ovako.' || char(13,10) || 'Kraj.', 'k', "
                                  "'Pumpa', 'L-1', '02/03/2004');"
                                  "INSERT INTO faq VALUES ('Old two', 2, 'a', 'k', 'p', 'l', '02/03/2004');")});
    QVERIFY2(made.exit_code == 0, qPrintable(made.output));
    fixture->add_sqlite_source(QStringLiteral("OLD"), old_file);

    const QString before = all_rows(*fixture);
    const run_result refused = run_transfer({QStringLiteral("copy"), QStringLiteral("--from"), QStringLiteral("OLD")});
    check(refused, 1);
    QVERIFY2(refused.output.contains(QStringLiteral("entry 2 of \"OLD\": the number 2 is already taken")),
             qPrintable(refused.output));
    QCOMPARE(all_rows(*fixture), before);

    check(run_transfer({QStringLiteral("copy"), QStringLiteral("--from"), QStringLiteral("OLD"), QStringLiteral("--to"),
                        QStringLiteral("FAQ"), QStringLiteral("--renumber")}),
          0);
    const auto copied = fixture->find(10);
    QVERIFY(copied);
    QCOMPARE(copied->pitanje, QStringLiteral("Zašto? 😀"));
    QCOMPARE(copied->odgovor, QStringLiteral("Ovako.\r\nKraj."));
    QCOMPARE(copied->datum, QStringLiteral("02/03/2004"));
    QCOMPARE(copied->proizvod, QStringLiteral("Pumpa"));
    QCOMPARE(fixture->find(11)->pitanje, QStringLiteral("Old two"));
    QCOMPARE(fixture->count(), 4);
}

TARVO_GUILESS_TEST_MAIN(tst_transfer)
#include "tst_transfer.moc"
