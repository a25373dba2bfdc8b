// Eight users on one PostgreSQL database at once, each through its own session of the store:
// they create, update and delete entries in a bounded loop, numbering new entries the way the
// entry window does (largest number plus one; a number taken meanwhile is numbered again after
// the entry window's short random pause).
// Afterwards every entry a user kept is there once with that user's last text, no number is
// shared, and no user's change landed in another user's entry.

#include <QTest>
#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <thread>

#include "entry_number.h"
#include "faq_fixture.h"
#include "session.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using statements::entry_texts;
using test_support::faq_fixture;

namespace {

constexpr int users = 8;
constexpr int operations_per_user = 125; // 1,000 in all
constexpr int numbering_attempts = 50;

// What one user did and what it expects the table to hold of its own.
struct ledger {
    std::map<int, entry_texts> kept;
    int created = 0;
    int updated = 0;
    int deleted = 0;
    int renumbered = 0;    // new entries whose number another user took first
    int most_attempts = 0; // the most attempts one new entry needed
    QStringList errors;
};

entry_texts texts_of(int user, int operation)
{
    const QString tag = QStringLiteral("user %1 operation %2").arg(user).arg(operation);
    return {QStringLiteral("user %1").arg(user), QStringLiteral("question of ") + tag,
            QStringLiteral("product of ") + tag, QStringLiteral("lot %1").arg(operation),
            QStringLiteral("answer of ") + tag + QStringLiteral(", it's 'quoted'")};
}

class user_session {
public:
    user_session(int user_number, ledger& book)
        : user(user_number), out(book), sqlca(QStringLiteral("user_%1").arg(user_number)),
          random(7919u * static_cast<unsigned>(user_number))
    {
    }

    void run()
    {
        test_support::connect_session(sqlca);
        if (sqlca.SQLCode != 0) {
            out.errors << QStringLiteral("connect: ") + sqlca.SQLErrText;
            return;
        }
        for (int operation = 1; operation <= operations_per_user; ++operation) {
            const int roll = std::uniform_int_distribution<int>(0, 99)(random);
            if (out.kept.empty() || roll < 45)
                create(operation);
            else if (roll < 80)
                update(operation);
            else
                remove();
        }
    }

private:
    int own_entry()
    {
        auto it = out.kept.begin();
        std::advance(it, std::uniform_int_distribution<int>(0, static_cast<int>(out.kept.size()) - 1)(random));
        return it->first;
    }

    bool committed(const QString& what)
    {
        if (sqlca.SQLCode != 0) {
            out.errors << what + QStringLiteral(": ") + sqlca.SQLErrText;
            return false;
        }
        sqlca.commit();
        if (sqlca.SQLCode != 0) {
            out.errors << what + QStringLiteral(" commit: ") + sqlca.SQLErrText;
            return false;
        }
        return true;
    }

    void create(int operation)
    {
        const entry_texts entry = texts_of(user, operation);
        QString last_error;
        for (int attempt = 0; attempt < numbering_attempts; ++attempt) {
            std::optional<int> largest;
            statements::select_max_rbr(sqlca, largest);
            if (sqlca.SQLCode != 0) {
                out.errors << QStringLiteral("numbering: ") + sqlca.SQLErrText;
                return;
            }
            const auto number = static_cast<std::int16_t>(largest.value_or(0) + 1);
            statements::insert_entry(sqlca, number, entry, QStringLiteral("01/01/2024"));
            if (sqlca.SQLCode != 0) {
                // Another user stored this number first and the primary key refused ours (that
                // user may even have deleted it again since): number the entry again.
                last_error = sqlca.SQLErrText;
                ++out.renumbered;
                entry_number::pause_before_renumbering(attempt + 1);
                continue;
            }
            out.most_attempts = std::max(out.most_attempts, attempt + 1);
            if (committed(QStringLiteral("insert"))) {
                out.kept[number] = entry;
                ++out.created;
            }
            return;
        }
        out.errors << QStringLiteral("no number after %1 attempts: ").arg(numbering_attempts) + last_error;
    }

    void update(int operation)
    {
        const int number = own_entry();
        // As the entry window saves: the count first, then the update of the row.
        std::int16_t ima = 0;
        statements::select_count(sqlca, static_cast<std::int16_t>(number), ima);
        if (sqlca.SQLCode != 0 || ima != 1) {
            out.errors << QStringLiteral("own entry %1 counted %2: %3").arg(number).arg(ima).arg(sqlca.SQLErrText);
            return;
        }
        const entry_texts entry = texts_of(user, operation);
        statements::update_entry(sqlca, entry, static_cast<std::int16_t>(number));
        if (committed(QStringLiteral("update"))) {
            out.kept[number] = entry;
            ++out.updated;
        }
    }

    void remove()
    {
        const int number = own_entry();
        statements::delete_entry(sqlca, static_cast<std::int16_t>(number));
        if (committed(QStringLiteral("delete"))) {
            out.kept.erase(number);
            ++out.deleted;
        }
    }

    int user;
    ledger& out;
    transaction sqlca;
    std::mt19937 random;
};

} // namespace

class tst_concurrent_users : public QObject {
    Q_OBJECT
private slots:
    void eight_users_lose_nothing();
};

void tst_concurrent_users::eight_users_lose_nothing()
{
    faq_fixture fixture;
    std::vector<ledger> books(users);
    {
        std::vector<std::thread> threads;
        for (int user = 0; user < users; ++user)
            threads.emplace_back([user, &books] { user_session(user, books[static_cast<std::size_t>(user)]).run(); });
        for (std::thread& thread : threads)
            thread.join();
    }

    int operations = 0;
    int renumbered = 0;
    int most_attempts = 0;
    std::map<int, std::pair<int, entry_texts>> expected; // number -> (user, texts)
    for (int user = 0; user < users; ++user) {
        const ledger& book = books[static_cast<std::size_t>(user)];
        QVERIFY2(book.errors.isEmpty(),
                 qPrintable(QStringLiteral("user %1: ").arg(user) + book.errors.join(QLatin1Char('\n'))));
        operations += book.created + book.updated + book.deleted;
        renumbered += book.renumbered;
        most_attempts = std::max(most_attempts, book.most_attempts);
        for (const auto& [number, entry] : book.kept) {
            QVERIFY2(expected.count(number) == 0,
                     qPrintable(QStringLiteral("number %1 kept by two users").arg(number)));
            expected[number] = {user, entry};
        }
    }
    QCOMPARE(operations, users * operations_per_user);

    const auto rows = fixture.rows();
    int lost = 0;
    for (const auto& [number, owner_entry] : expected)
        if (!fixture.find(number))
            ++lost;
    qInfo("%d users, %d operations, %d new entries numbered again after a race (at most %d attempts for one), "
          "%d entries kept, %d lost",
          users, operations, renumbered, most_attempts, static_cast<int>(expected.size()), lost);
    QCOMPARE(lost, 0);
    QCOMPARE(rows.size(), expected.size());
    for (std::size_t i = 1; i < rows.size(); ++i)
        QVERIFY2(rows[i - 1].rbr < rows[i].rbr, qPrintable(QStringLiteral("number %1 twice").arg(rows[i].rbr)));
    for (const auto& row : rows) {
        const auto it = expected.find(row.rbr);
        QVERIFY2(it != expected.end(), qPrintable(QStringLiteral("entry %1 belongs to nobody").arg(row.rbr)));
        const entry_texts& entry = it->second.second;
        // Each entry holds exactly its owner's last texts: nobody wrote into it.
        QCOMPARE(row.adresa, entry.adresa);
        QCOMPARE(row.pitanje, entry.pitanje);
        QCOMPARE(row.proizvod, entry.proizvod);
        QCOMPARE(row.lot, entry.lot);
        QCOMPARE(row.odgovor, entry.odgovor);
    }
}

TARVO_GUILESS_TEST_MAIN(tst_concurrent_users)
#include "tst_concurrent_users.moc"
