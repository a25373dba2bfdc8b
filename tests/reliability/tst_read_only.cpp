// A SQLite file the user may read but not write, or a file in a folder the user cannot write
// (where WAL mode needs its -wal and -shm files): the program lists and loads entries, and every
// change is refused with words that say the database is read-only and where, while the window
// keeps what the user typed.
// Runs without root's power to ignore file modes (see without_file_override).

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <memory>

#include "odbc_statement.h"
#include "private_odbc.h"
#include "work_under_fault.h"

using namespace test_support;

class tst_read_only : public QObject {
    Q_OBJECT
    std::unique_ptr<faq_fixture> fixture;

private slots:
    void initTestCase()
    {
        fixture = std::make_unique<faq_fixture>(test_support::backend::sqlite);
        fixture->load_sample_entries();
        QVERIFY(
            QFile::setPermissions(fixture->database_file(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        // Proof that the file really refuses this process's writes.
        QFile probe(fixture->database_file());
        QVERIFY2(!probe.open(QIODevice::ReadWrite), "the test process can still write the read-only file");
    }
    void changes_are_refused_and_the_text_stays();
    void database_in_a_read_only_folder_is_read();
};

void tst_read_only::changes_are_refused_and_the_text_stays()
{
    const auto before = fixture->rows();
    client user;
    w_search& search = *user.app.w_search;

    search.cb_search_clicked();
    QCOMPARE(user.listed_rows(), static_cast<int>(before.size()));

    // An existing entry loads; its changed answer is refused and stays in the window.
    const QString read_only = QStringLiteral("%1 is read-only").arg(fixture->database_file());
    const auto work = edit_listed_entry(user, 2, QStringLiteral("An answer the file cannot take."));
    QVERIFY(!work.window->mle_question->text().isEmpty());
    save_is_reported(work, QStringLiteral("UPDATE faq SET ..."), read_only);

    // A new entry is numbered (reading works) and its insert is refused.
    work.window->close();
    QTRY_VERIFY(user.app.w_main.isNull());
    const auto added = start_new_entry(user, QStringLiteral("A new question"), QString());
    QCOMPARE(int(added.edited), before.back().rbr + 1);
    save_is_reported(added, QStringLiteral("INSERT INTO faq VALUES(...)"), read_only);
    QCOMPARE(added.window->mle_question->text(), QStringLiteral("A new question"));

    // A delete is refused and the list is refreshed unchanged.
    search.dw_search_clicked(4);
    delete_is_reported(user, {QStringLiteral("DELETE FROM faq WHERE rbr=%1").arg(user.app.rbr)}, read_only);
    QCOMPARE(user.listed_rows(), static_cast<int>(before.size()));

    // Nothing in the file changed.
    const auto after = fixture->rows();
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        QCOMPARE(after[i].rbr, before[i].rbr);
        QCOMPARE(after[i].odgovor, before[i].odgovor);
        QCOMPARE(after[i].pitanje, before[i].pitanje);
    }
}

// A copy of the database, in WAL mode, alone in a folder that refuses this process's writes: no
// -wal or -shm file is there, and none can be made.
void tst_read_only::database_in_a_read_only_folder_is_read()
{
    const int stored = fixture->count();
    // A data source of its own: unixODBC keeps the settings of one it has read.
    test_support::private_odbc own;
    const QString source = QStringLiteral("FAQ_COPY");
    const QString folder = own.folder() + QStringLiteral("/read-only folder");
    const QString file = folder + QStringLiteral("/faq.db");
    QVERIFY(QDir().mkpath(folder));
    fixture->exec(QStringLiteral("VACUUM INTO '%1'").arg(file));
    own.write(source, QStringLiteral("SQLite3"), {QStringLiteral("Database=") + file});
    {
        transaction wal(QStringLiteral("wal"));
        wal.DBParm = QStringLiteral("ConnectString='DSN=%1;UID=mirt;PWD=mirt'").arg(source);
        wal.connect();
        wal.run_read([&](odbc_connection& connection) {
            odbc_statement statement(connection);
            QVERIFY(statement.execute(QStringLiteral("PRAGMA journal_mode = WAL")));
        });
    }
    QVERIFY(!QFile::exists(file + QStringLiteral("-shm")));
    const auto read_only = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(folder, read_only | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    QVERIFY(QFile::setPermissions(file, read_only));
    const auto writable_again = qScopeGuard([&] {
        QFile::setPermissions(folder, read_only | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(file, read_only | QFile::WriteOwner);
    });

    client user(client::with_search_window, source);
    user.search_for();
    QCOMPARE(user.listed_rows(), stored);
    w_main* window = user.view(fixture->rows().front().rbr);
    QCOMPARE(window->mle_question->text(), fixture->rows().front().pitanje);
    window->mle_odgovor->setPlainText(QStringLiteral("An answer the folder cannot take."));
    message_recorder boxes;
    window->cb_save_clicked();
    QCOMPARE(boxes.titles(), QStringList{QStringLiteral("UPDATE faq SET ...")});
    QVERIFY2(boxes.boxes.first().text.contains(QStringLiteral("%1 is read-only").arg(file)),
             qPrintable(boxes.summary()));
    QCOMPARE(window->mle_odgovor->text(), QStringLiteral("An answer the folder cannot take."));
}

TARVO_TEST_MAIN(tst_read_only)
#include "tst_read_only.moc"
