// An embedded data source whose LIKE extension file is gone (the package was removed, the build
// folder cleaned): the SQLite ODBC driver says so on its error output and goes on, so the
// program still connects, lists and saves, and searches by SQLite's own LIKE, which ignores
// the case of ASCII letters only.

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "faq_fixture.h"
#include "search_statement.h"
#include "session.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

class tst_missing_like_extension : public QObject {
    Q_OBJECT
private slots:
    void connects_and_searches_by_sqlites_own_rule();
};

void tst_missing_like_extension::connects_and_searches_by_sqlites_own_rule()
{
    // The database made with the sqlite3 tool, as tarvo-setup-dsn makes it: unixODBC keeps the
    // data source settings it has read for a while, so this process reads only this one.
    QTemporaryDir folder;
    const QString database = folder.filePath(QStringLiteral("faq.db"));
    for (const char* script : {"/db/faq.sqlite.sql", "/db/sample-entries.sql"}) {
        QProcess sqlite3;
        sqlite3.setStandardInputFile(test_support::source_dir() + QString::fromLatin1(script));
        sqlite3.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), database});
        QVERIFY(sqlite3.waitForFinished(30000));
        QVERIFY2(sqlite3.exitCode() == 0, sqlite3.readAllStandardError().constData());
    }
    test_support::private_odbc without_extension;
    without_extension.write(QStringLiteral("FAQ"), QStringLiteral("SQLite3"),
                            {QStringLiteral("Database=") + database, QStringLiteral("Timeout=2000"),
                             QStringLiteral("LoadExt=") + folder.filePath(QStringLiteral("gone/tarvo_like.so"))});

    transaction sqlca(QStringLiteral("missing_extension"));
    test_support::connect_session(sqlca);
    QVERIFY2(sqlca.SQLCode == 0 && sqlca.connected(), qPrintable(sqlca.SQLErrText));

    auto found = [&](const QString& text, const QString& field) {
        std::vector<statements::list_row> rows;
        statements::retrieve(sqlca, search::compose({text, field, {}, QStringLiteral("All"), QStringLiteral("AND")}),
                             rows);
        std::set<int> numbers;
        for (const auto& row : rows)
            numbers.insert(row.rbr.value_or(0));
        return numbers;
    };
    // ASCII letters in either case; the sample entries hold "pump" in 1, 12 and 29.
    QCOMPARE(found(QStringLiteral("PUMP"), QStringLiteral("Keyword")), (std::set<int>{1, 12, 29}));
    QVERIFY2(sqlca.SQLCode == 0, qPrintable(sqlca.SQLErrText));
    // Other letters only as written: entry 11 holds "šum".
    QCOMPARE(found(QStringLiteral("šum"), QStringLiteral("Keyword")), (std::set<int>{11}));
    QCOMPARE(found(QStringLiteral("ŠUM"), QStringLiteral("Keyword")), (std::set<int>{}));
    QCOMPARE(sqlca.SQLCode, transaction::not_found);

    // Changes go through as ever.
    statements::update_entry(sqlca,
                             {QStringLiteral("Šum, kept"), QStringLiteral("q"), QStringLiteral("p"),
                              QStringLiteral("l"), QStringLiteral("a")},
                             11);
    QVERIFY2(sqlca.SQLCode == 0, qPrintable(sqlca.SQLErrText));
    sqlca.commit();
    QCOMPARE(found(QStringLiteral("Šum, kept"), QStringLiteral("Keyword")), (std::set<int>{11}));
}

TARVO_GUILESS_TEST_MAIN(tst_missing_like_extension)
#include "tst_missing_like_extension.moc"
