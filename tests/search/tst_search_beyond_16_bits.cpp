// A search text with characters beyond U+FFFF (emoji, musical symbols) finds exactly the entries
// that hold it, typed into the real search window: never every entry, never one with another
// character in its place. Where the process's locale gives no way to hand such a character to
// SQLite, the search finds nothing rather than everything.
// Runs once on SQLite and once on PostgreSQL.

#include <clocale>
#include <memory>
#include <set>

#include "search_statement.h"
#include "window_driver.h"

using test_support::backend;

class tst_search_beyond_16_bits : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void typed_text_finds_exactly_its_entries_data();
    void typed_text_finds_exactly_its_entries();
    void without_a_utf8_locale_nothing_is_found_on_sqlite();

private:
    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user;
    tarvo* app = nullptr;
};

void tst_search_beyond_16_bits::initTestCase()
{
    fixture = std::make_unique<test_support::faq_fixture>();
    fixture->insert(1, "emoji", QStringLiteral("Display shows a😀b"), "01/02/2020", "P-1", "L-1", "x");
    fixture->insert(2, "plain", QStringLiteral("Display shows axb"), "01/02/2020", "P-2", "L-2", "x");
    fixture->insert(3, "other emoji", QStringLiteral("Display shows a😁b"), "01/02/2020", "P-3", "L-3", "x");
    fixture->insert(4, "clef", QStringLiteral("Tuning"), "01/02/2020", QStringLiteral("Piano 𝄞"), "L-4", "😀 smile");
    fixture->insert(5, "none", QStringLiteral("Nothing special"), "01/02/2020", "P-5", "L-5", "y");
    user = std::make_unique<test_support::client>();
    app = &user->app;
}

void tst_search_beyond_16_bits::cleanupTestCase()
{
    user.reset();
    fixture.reset();
}

void tst_search_beyond_16_bits::typed_text_finds_exactly_its_entries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<std::set<int>>("expected");
    QTest::newRow("the emoji alone") << QStringLiteral("😀") << QStringLiteral("Question") << std::set<int>{1};
    QTest::newRow("between letters") << QStringLiteral("a😀b") << QStringLiteral("Question") << std::set<int>{1};
    QTest::newRow("in every field") << QStringLiteral("😀") << QStringLiteral("All") << std::set<int>{1, 4};
    QTest::newRow("another one") << QStringLiteral("𝄞") << QStringLiteral("All") << std::set<int>{4};
    QTest::newRow("held by none") << QStringLiteral("🔧") << QStringLiteral("All") << std::set<int>{};
}

void tst_search_beyond_16_bits::typed_text_finds_exactly_its_entries()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(std::set<int>, expected);
    w_search& search = *app->w_search;
    // Typed one character at a time, a character beyond U+FFFF as one key with its two halves.
    user->search({.text1 = text, .field1 = field});
    QCOMPARE(search.uo_prvi->sle_trazi->text(), text);
    QCOMPARE(user->listed_numbers(), expected);
    // The statement holds the text as typed.
    QVERIFY(search.pretraga->sql_select().contains(text));
}

void tst_search_beyond_16_bits::without_a_utf8_locale_nothing_is_found_on_sqlite()
{
    const QByteArray previous = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C"); // texts then travel as UTF-16
    std::vector<statements::list_row> rows;
    statements::retrieve(*app->sqlca, search::compose(search::criteria{QStringLiteral("😀"), "All", {}, "All", "AND"}),
                         rows);
    const long code = app->sqlca->SQLCode;
    std::vector<statements::list_row> plain;
    statements::retrieve(*app->sqlca,
                         search::compose(search::criteria{QStringLiteral("axb"), "Question", {}, "All", "AND"}), plain);
    std::setlocale(LC_CTYPE, previous.constData());

    QCOMPARE(plain.size(), std::size_t(1));
    std::set<int> numbers;
    for (const auto& row : rows)
        numbers.insert(row.rbr.value_or(0));
    if (fixture->which() == backend::sqlite) {
        QVERIFY(code >= 0);
        QCOMPARE(numbers, std::set<int>{});
    } else {
        QCOMPARE(code, 0L);
        QCOMPARE(numbers, std::set<int>({1, 4}));
    }
}

TARVO_TEST_MAIN(tst_search_beyond_16_bits)
#include "tst_search_beyond_16_bits.moc"
