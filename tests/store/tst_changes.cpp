// The save and the delete without any window: each asks only through the callback it is given
// and answers with its outcome, on a real database (SQLite and PostgreSQL).

#include <QTest>

#include "entry_delete.h"
#include "entry_save.h"
#include "faq_fixture.h"
#include "session.h"

using test_support::faq_fixture;
using test_support::sample_entry;
using result = change_outcome::result;

class tst_changes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void save_asks_before_it_writes_over_a_colleague_data();
    void save_asks_before_it_writes_over_a_colleague();
    void delete_asks_first_data();
    void delete_asks_first();

private:
    std::unique_ptr<faq_fixture> fixture;
    std::unique_ptr<transaction> sqlca;
};

void tst_changes::initTestCase()
{
    fixture = std::make_unique<faq_fixture>();
    sqlca = std::make_unique<transaction>(QStringLiteral("changes_test"));
    test_support::connect_session(*sqlca);
    QVERIFY2(sqlca->SQLCode == 0, qPrintable(sqlca->SQLErrText));
}

void tst_changes::init()
{
    fixture->clear();
    fixture->insert(7, sample_entry(QStringLiteral("mine")), QStringLiteral("01/02/2020"));
}

void tst_changes::cleanupTestCase()
{
    sqlca.reset();
    fixture.reset();
}

void tst_changes::save_asks_before_it_writes_over_a_colleague_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("colleague_saved");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("saved_under"); // 0: cancelled
    QTest::addColumn<QString>("seven_holds");
    // clang-format off
    QTest::newRow("colleague saved, user says no")  << true  << true  << false << 1 << 0 << "theirs";
    QTest::newRow("colleague saved, user says yes") << true  << true  << true  << 1 << 7 << "typed";
    QTest::newRow("nobody else saved")              << true  << false << false << 0 << 7 << "typed";
    QTest::newRow("new entry, its number taken")    << false << true  << false << 0 << 8 << "theirs";
    // clang-format on
}

void tst_changes::save_asks_before_it_writes_over_a_colleague()
{
    QFETCH(bool, loaded);
    QFETCH(bool, colleague_saved);
    QFETCH(bool, answer);
    QFETCH(int, asked);
    QFETCH(int, saved_under);
    QFETCH(QString, seven_holds);
    if (colleague_saved)
        fixture->exec(QStringLiteral("UPDATE faq SET odgovor = 'theirs' WHERE rbr = 7"));
    changes::saved_entry state;
    state.holds_stored_entry = loaded;
    state.stored_version = sample_entry(QStringLiteral("mine"));
    QStringList questions;
    QStringList messages;
    const changes::save_dialogue dialogue{
        [&](const QString& question) {
            questions << question;
            return answer;
        },
        [&](const QString& title, const QString& text, const QString&) { messages << title + text; },
        [] { return std::optional<std::int16_t>(8); }};
    statements::entry_texts typed = sample_entry(QStringLiteral("mine"));
    typed.odgovor = QStringLiteral("typed");
    const change_outcome outcome =
        changes::entry_save(*sqlca, state, dialogue, QStringLiteral("03/04/2021")).run(7, typed);

    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'\n')));
    QCOMPARE(questions.size(), asked);
    if (asked > 0)
        QVERIFY2(questions.first().contains(QStringLiteral("Another user")), qPrintable(questions.first()));
    QCOMPARE(outcome.what, saved_under ? result::saved : result::cancelled);
    QCOMPARE(outcome.rbr, saved_under);
    QCOMPARE(fixture->find(7)->odgovor, seven_holds);
    QCOMPARE(fixture->count(), saved_under == 8 ? 2 : 1);
    if (saved_under == 8)
        QCOMPARE(fixture->find(8)->odgovor, QStringLiteral("typed"));
}

void tst_changes::delete_asks_first_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("no") << false;
    QTest::newRow("yes") << true;
}

void tst_changes::delete_asks_first()
{
    QFETCH(bool, answer);
    int asked = 0;
    const change_outcome outcome = changes::delete_entry(*sqlca, 7, [&] {
        ++asked;
        return answer;
    });
    QCOMPARE(asked, 1);
    QCOMPARE(outcome.what, answer ? result::deleted : result::cancelled);
    QCOMPARE(fixture->find(7).has_value(), !answer);
}

QTEST_GUILESS_MAIN(tst_changes)
#include "tst_changes.moc"
