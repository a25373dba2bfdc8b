// The LIKE extension loaded into SQLite itself, side by side with SQLite's own LIKE on a
// second connection: where case plays no part (ASCII letters, which SQLite's LIKE already
// ignores the case of, or texts whose letters are all written small) both must give the same
// answer for thousands of random patterns with "%", "_" and an escape character, and on any
// texts the extension must answer as SQLite's LIKE does on the same texts folded first; where
// case plays a part, every letter matches its other case. Errors and nulls are SQLite's, but a NULL text matches no
// pattern.

#include <QTest>
#include <random>
#include <sqlite3.h>
#include <string>

#include "like_pattern.h"
#include "private_odbc.h"
#include "unexpected_dialogs.h"

namespace {

// One in-memory database; with the extension loaded when asked.
class connection {
public:
    explicit connection(bool with_extension)
    {
        if (sqlite3_open(":memory:", &db) != SQLITE_OK)
            qFatal("sqlite3_open failed");
        if (with_extension) {
            sqlite3_enable_load_extension(db, 1);
            char* error = nullptr;
            const QByteArray path = test_support::like_extension_path().toLocal8Bit();
            if (sqlite3_load_extension(db, path.constData(), nullptr, &error) != SQLITE_OK)
                qFatal("cannot load %s: %s", path.constData(), error ? error : "?");
        }
    }
    ~connection()
    {
        sqlite3_finalize(like_2);
        sqlite3_finalize(like_3);
        sqlite3_close(db);
    }
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    // like(pattern, text[, escape]) as 1, 0, "NULL" or "error: message"; texts are bound as
    // they are, bytes included. The two statements are prepared once and run again and again.
    QByteArray like(const QByteArray& pattern, const QByteArray& text, const QByteArray* escape = nullptr)
    {
        sqlite3_stmt*& statement = escape ? like_3 : like_2;
        if (statement == nullptr
            && sqlite3_prepare_v2(db, escape ? "SELECT like(?1, ?2, ?3)" : "SELECT like(?1, ?2)", -1, &statement,
                                  nullptr)
                   != SQLITE_OK)
            qFatal("prepare: %s", sqlite3_errmsg(db));
        sqlite3_bind_text(statement, 1, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        if (escape)
            sqlite3_bind_text(statement, 3, escape->constData(), int(escape->size()), SQLITE_TRANSIENT);
        QByteArray result;
        if (sqlite3_step(statement) == SQLITE_ROW)
            result = sqlite3_column_type(statement, 0) == SQLITE_NULL
                         ? QByteArray("NULL")
                         : QByteArray::number(sqlite3_column_int(statement, 0));
        else
            result = QByteArray("error: ") + sqlite3_errmsg(db);
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        return result;
    }

    QByteArray query(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return QByteArray("error: ") + sqlite3_errmsg(db);
        QByteArray result;
        const int step = sqlite3_step(statement);
        if (step == SQLITE_ROW)
            result = sqlite3_column_type(statement, 0) == SQLITE_NULL
                         ? QByteArray("NULL")
                         : QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        else if (step != SQLITE_DONE)
            result = QByteArray("error: ") + sqlite3_errmsg(db);
        sqlite3_finalize(statement);
        return result;
    }

    sqlite3* handle() const { return db; }

private:
    sqlite3* db = nullptr;
    sqlite3_stmt* like_2 = nullptr;
    sqlite3_stmt* like_3 = nullptr;
};

// A random text from the given pieces.
QByteArray random_text(std::mt19937& random, const QList<QByteArray>& pieces, int max_length)
{
    QByteArray text;
    const int length = std::uniform_int_distribution<int>(0, max_length)(random);
    for (int i = 0; i < length; ++i)
        text += pieces[std::uniform_int_distribution<qsizetype>(0, pieces.size() - 1)(random)];
    return text;
}

} // namespace

class tst_like_extension : public QObject {
    Q_OBJECT
    connection sqlite_own{false};
    connection extended{true};

private slots:
    void only_two_characters_outside_ascii_fold_into_it();
    void every_letter_matches_its_other_case_data();
    void every_letter_matches_its_other_case();
    void same_as_sqlite_where_case_plays_no_part();
    void same_as_sqlite_on_folded_texts();
    void errors_and_nulls_as_sqlite();
    void the_like_operator_uses_it();
};

void tst_like_extension::only_two_characters_outside_ascii_fold_into_it()
{
    // The matching reads a character outside ASCII only where it can fold to the character
    // sought: that must hold for every character ICU knows.
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        const char32_t folded = tarvo_like::fold(c);
        if (folded < 0x80 && !tarvo_like::folds_from_outside_ascii(folded))
            QFAIL(qPrintable(
                QStringLiteral("U+%1 folds to ASCII %2").arg(uint(c), 4, 16, QLatin1Char('0')).arg(QChar(folded))));
    }
    QCOMPARE(tarvo_like::fold(0x212A), U'k');
    QCOMPARE(tarvo_like::fold(0x017F), U's');
}

void tst_like_extension::every_letter_matches_its_other_case_data()
{
    // clang-format off
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matches");
    QTest::newRow("Š finds š") << QStringLiteral("%ŠUM%") << QStringLiteral("Povećan šum signala") << true;
    QTest::newRow("š finds Š") << QStringLiteral("%šum%") << QStringLiteral("ŠUM") << true;
    QTest::newRow("Č Ć Ž Đ") << QStringLiteral("čćžđ") << QStringLiteral("ČĆŽĐ") << true;
    QTest::newRow("digraph letters") << QStringLiteral("ǆep, ǉubav, ǌiva") << QStringLiteral("ǄEP, ǈubav, Ǌiva") << true;
    QTest::newRow("ASCII") << QStringLiteral("%pump%") << QStringLiteral("Vacuum PUMP") << true;
    QTest::newRow("Cyrillic") << QStringLiteral("жёлтый") << QStringLiteral("ЖЁЛТЫЙ") << true;
    QTest::newRow("Greek") << QStringLiteral("ωμέγα") << QStringLiteral("ΩΜΈΓΑ") << true;
    QTest::newRow("one character for a Croatian letter") << QStringLiteral("_UM") << QStringLiteral("šum") << true;
    QTest::newRow("different letters stay different") << QStringLiteral("%šum%") << QStringLiteral("sum") << false;
    QTest::newRow("accents stay") << QStringLiteral("ecole") << QStringLiteral("ÉCOLE") << false;
    QTest::newRow("escaped wildcard in another case") << QStringLiteral("100\\%Š") << QStringLiteral("100%š") << true;
    QTest::newRow("escaped wildcard is literal") << QStringLiteral("100\\%") << QStringLiteral("1000") << false;
    // clang-format on
}

void tst_like_extension::every_letter_matches_its_other_case()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, matches);
    const QByteArray escape("\\");
    QCOMPARE(extended.like(pattern.toUtf8(), text.toUtf8(), &escape), QByteArray(matches ? "1" : "0"));
}

void tst_like_extension::same_as_sqlite_where_case_plays_no_part()
{
    std::mt19937 random(20261209);
    const QByteArray backslash("\\"), letter("a"), percent("%");
    // ASCII in both cases (SQLite's own LIKE ignores their case too) and wildcards; and
    // other letters written small only, plus bytes that are no valid UTF-8.
    const QList<QByteArray> ascii = {"a", "A", "b", "B", "%", "_", "\\", " ", "x"};
    const QList<QByteArray> small = {
        "a", "š", "ž", "đ", "ж", "€", "%", "_", "\\", " ", "\xC3", "\x80", "\xED\xA0\x80", "\xF0\x9F\x98\x80"};
    int compared = 0;
    for (const auto* pieces : {&ascii, &small}) {
        for (int i = 0; i < 4000; ++i) {
            const QByteArray pattern = random_text(random, *pieces, 8);
            const QByteArray text = random_text(random, *pieces, 10);
            for (const QByteArray* escape : {static_cast<const QByteArray*>(nullptr), &backslash, &letter, &percent}) {
                const QByteArray own = sqlite_own.like(pattern, text, escape);
                const QByteArray ours = extended.like(pattern, text, escape);
                if (own != ours)
                    QFAIL(qPrintable(QStringLiteral("like(%1, %2%3): SQLite %4, extension %5")
                                         .arg(QString::fromUtf8(pattern.toPercentEncoding()),
                                              QString::fromUtf8(text.toPercentEncoding()),
                                              escape ? QStringLiteral(", ") + QString::fromUtf8(*escape) : QString(),
                                              QString::fromUtf8(own), QString::fromUtf8(ours))));
                ++compared;
            }
        }
    }
    qInfo("%d random patterns answered alike", compared);
}

void tst_like_extension::same_as_sqlite_on_folded_texts()
{
    // Letters in both cases, among them some whose other case is outside ASCII (the Kelvin
    // sign folds to "k", the long s to "s"): the extension on the texts as they are must answer
    // as SQLite's LIKE does on the same texts with every letter folded first.
    std::mt19937 random(20261210);
    const QByteArray backslash("\\");
    const QList<QByteArray> pieces = {"a", "A", "k", "K", "\xE2\x84\xAA", "s", "S", "\xC5\xBF", "š", "Š",
                                      "ǅ", "ǆ", "%", "_", "\\",           " "};
    auto folded = [](const QByteArray& text) {
        QByteArray result;
        for (const char32_t c : QString::fromUtf8(text).toUcs4())
            result += QString::fromUcs4(std::u32string(1, tarvo_like::fold(c)).c_str(), 1).toUtf8();
        return result;
    };
    for (int i = 0; i < 6000; ++i) {
        const QByteArray pattern = random_text(random, pieces, 8);
        const QByteArray text = random_text(random, pieces, 12);
        const QByteArray own = sqlite_own.like(folded(pattern), folded(text), &backslash);
        const QByteArray ours = extended.like(pattern, text, &backslash);
        if (own != ours)
            QFAIL(qPrintable(QStringLiteral("like('%1', '%2'): SQLite on folded texts %3, extension %4")
                                 .arg(QString::fromUtf8(pattern), QString::fromUtf8(text), QString::fromUtf8(own),
                                      QString::fromUtf8(ours))));
    }
}

void tst_like_extension::errors_and_nulls_as_sqlite()
{
    const char* statements[] = {
        "SELECT 'a' LIKE 'a' ESCAPE 'ab'",
        "SELECT 'a' LIKE 'a' ESCAPE ''",
        "SELECT 'a' LIKE 'a' ESCAPE NULL",
        "SELECT 'a' LIKE NULL",
        "SELECT 'a\\' LIKE 'a\\' ESCAPE '\\'", // a lone escape at the end matches nothing
        "SELECT 'ab' LIKE 'a%' ESCAPE '%'",    // an escape character is no wildcard
        "SELECT 'a%' LIKE 'a%%' ESCAPE '%'",
        "SELECT 'ab' LIKE 'a_' ESCAPE '_'",
        "SELECT 'a_' LIKE 'a__' ESCAPE '_'",
        "SELECT 12 LIKE '1%'",                     // numbers are compared as text
        "SELECT CAST(x'610062' AS TEXT) LIKE 'a'", // a text ends at its first zero byte
    };
    for (const char* statement : statements)
        QCOMPARE(extended.query(statement), sqlite_own.query(statement));
    // A missing text matches nothing, so that NOT finds it; SQLite's own says NULL.
    QCOMPARE(extended.query("SELECT NULL LIKE 'a'"), QByteArray("0"));
    QCOMPARE(extended.query("SELECT 'a' LIKE 'a' ESCAPE 'ab'"),
             QByteArray("error: ESCAPE expression must be a single character"));

    // SQLite's limit on the length of a pattern holds for both.
    for (connection* c : {&sqlite_own, &extended})
        sqlite3_limit(c->handle(), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 10);
    QCOMPARE(extended.query("SELECT 'a' LIKE '%%%%%%%%%%%%'"), QByteArray("error: LIKE or GLOB pattern too complex"));
    QCOMPARE(extended.query("SELECT 'a' LIKE '%%%%%%%%%%%%'"), sqlite_own.query("SELECT 'a' LIKE '%%%%%%%%%%%%'"));
    for (connection* c : {&sqlite_own, &extended})
        sqlite3_limit(c->handle(), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 50000);
}

void tst_like_extension::the_like_operator_uses_it()
{
    // The statement form the search composes, on a table, with and without ESCAPE.
    for (const char* sql :
         {"CREATE TABLE faq (pitanje TEXT)", "INSERT INTO faq VALUES ('Povećan ŠUM'), ('D:\\Backup'), (NULL)"})
        QCOMPARE(extended.query(sql), QByteArray());
    QCOMPARE(extended.query("SELECT count(*) FROM faq WHERE pitanje LIKE '%šum%'"), QByteArray("1"));
    QCOMPARE(extended.query("SELECT count(*) FROM faq WHERE pitanje LIKE '%d:\\\\b%' ESCAPE '\\'"), QByteArray("1"));
    QCOMPARE(extended.query("SELECT count(*) FROM faq WHERE NOT (pitanje LIKE '%ŠUM%')"), QByteArray("2"));
}

TARVO_GUILESS_TEST_MAIN(tst_like_extension)
#include "tst_like_extension.moc"
