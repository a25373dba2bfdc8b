// The section "A shared PostgreSQL database" of docs/administration.md, followed as written: its
// server command (taken from that file itself) on a throwaway PostgreSQL server with TLS on and no access
// rules of its own, its desktop command in a throwaway home directory, then a search through
// the program's store on the data source "FAQ" that the desktop command made. Also: the server
// command run again changes no row, an older database (text columns, owned by mirt) is taken
// over without loss, and the desktop command updates, keeps and restores data sources.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <set>

#include "faq_fixture.h"
#include "history_statements.h"
#include "script_runner.h"
#include "search_statement.h"
#include "session.h"
#include "session_identity.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using scripts_test::read_file;
using scripts_test::run;
using scripts_test::run_result;
using scripts_test::script;
using scripts_test::write_file;

namespace {

const QString example_network = QStringLiteral("192.168.10.0/24");
const QString example_server = QStringLiteral("faq-server.example");
const QString hba_line = QStringLiteral("hostssl faq mirt 127.0.0.1/32 scram-sha-256");

// The arguments of the guide's command that starts with `command`, in a shell block of its
// section on the shared database, with the example network and server replaced by the test's.
QStringList readme_arguments(const QString& command, int port)
{
    const QString readme = read_file(test_support::source_dir() + QStringLiteral("/docs/administration.md"));
    const qsizetype start = readme.indexOf(QStringLiteral("\n## A shared PostgreSQL database\n"));
    if (start < 0)
        return {};
    const qsizetype end = readme.indexOf(QStringLiteral("\n## "), start + 1);
    bool in_commands = false; // inside a ```sh block
    for (QString line : readme.mid(start, end - start).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("```"))) {
            in_commands = line == QLatin1String("```sh");
            continue;
        }
        line = line.section(QLatin1Char('#'), 0, 0).trimmed(); // a comment after the command
        if (!in_commands || !line.startsWith(command + QLatin1Char(' ')))
            continue;
        line.replace(example_network, QStringLiteral("127.0.0.1/32"));
        line.replace(example_server, QStringLiteral("127.0.0.1:%1").arg(port));
        return line.mid(command.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return {};
}

QString first_match(const QString& text, const QString& pattern)
{
    return QRegularExpression(pattern).match(text).captured(1);
}

} // namespace

class tst_shared_database : public QObject {
    Q_OBJECT
    QTemporaryDir cluster{QDir::tempPath() + QStringLiteral("/tarvo-shared-XXXXXX")};
    QTemporaryDir odbc_system; // the desktop's driver definitions
    int port = 0;
    bool started = false;

    // psql as the server's administrator, over its socket.
    run_result admin(const QString& statements, const QString& database = QStringLiteral("faq"))
    {
        return run(QStringLiteral("psql"),
                   {QStringLiteral("-X"), QStringLiteral("-At"), QStringLiteral("-v"),
                    QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), cluster.path(), QStringLiteral("-p"),
                    QString::number(port), QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"),
                    database, QStringLiteral("-c"), statements});
    }
    QString admin_value(const QString& query, const QString& database = QStringLiteral("faq"))
    {
        const run_result result = admin(query, database);
        if (result.exit_code != 0)
            qWarning("%s: %s", qPrintable(query), qPrintable(result.output));
        return result.output.trimmed();
    }

    // psql as a desktop would connect: user mirt over TCP.
    run_result as_mirt(const QString& database, const QString& ssl_mode, const QString& statement)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSWORD"), QStringLiteral("mirt"));
        return run(
            QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-At"),
             QStringLiteral("host=127.0.0.1 port=%1 user=mirt dbname=%2 sslmode=%3").arg(port).arg(database, ssl_mode),
             QStringLiteral("-c"), statement},
            environment);
    }

    run_result server_command(const QStringList& arguments)
    {
        return scripts_test::run_as_postgres(script(QStringLiteral("tarvo-setup-server")), arguments, cluster.path(),
                                             port);
    }

    // The desktop's command as its user runs it, at home in `home`.
    run_result desktop_command(const QString& home, const QStringList& arguments)
    {
        return scripts_test::run_setup_dsn(home, odbc_system.path(), arguments);
    }

    // A server without tarvo: no database faq, no role mirt, no access rule for the network.
    void reset_server()
    {
        QCOMPARE(
            admin(QStringLiteral("DROP DATABASE IF EXISTS faq WITH (FORCE)"), QStringLiteral("postgres")).exit_code, 0);
        QCOMPARE(admin(QStringLiteral("DROP ROLE IF EXISTS mirt"), QStringLiteral("postgres")).exit_code, 0);
        write_file(cluster.filePath(QStringLiteral("data/pg_hba.conf")), QStringLiteral("local all all trust\n"));
        QCOMPARE(admin(QStringLiteral("SELECT pg_reload_conf()"), QStringLiteral("postgres")).exit_code, 0);
    }

    // Rows of faq as text, with a count: equal only when no value changed. `row` may show the
    // row otherwise, as it should be after a change.
    QString table_fingerprint(const QString& row = QStringLiteral("f::text || ':' || coalesce(length(odgovor), -1)"))
    {
        return admin_value(
            QStringLiteral(
                "SELECT count(*) || ' ' || coalesce(md5(string_agg(%1, E'\\n' ORDER BY rbr)), '') FROM faq f")
                .arg(row));
    }

    QString history_fingerprint()
    {
        return admin_value(
            QStringLiteral("SELECT count(*) || ' ' || coalesce(md5(string_agg(h::text, E'\\n' ORDER BY version)), '') "
                           "FROM faq_history h"));
    }

    // The upgrade of a database set up before the history, as the history's schema tells it:
    // psql as the administrator, the file in one transaction.
    run_result history_step()
    {
        return scripts_test::run_as_postgres(
            QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"), QStringLiteral("faq"),
             QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-1"), QStringLiteral("-f"),
             test_support::source_dir() + QStringLiteral("/db/faq-history.postgresql.sql")},
            cluster.path(), port);
    }

    // mirt may not change or remove a version, nor a note of a restore, nor the word search's words.
    void verify_history_is_read_only_for_mirt()
    {
        for (const QString& statement :
             {QStringLiteral("UPDATE faq_history SET odgovor = 'forged'"), QStringLiteral("DELETE FROM faq_history"),
              QStringLiteral("TRUNCATE faq_history"),
              QStringLiteral("INSERT INTO faq_history (rbr, change) VALUES (1, 'update')"),
              QStringLiteral("DELETE FROM faq_restored"), QStringLiteral("UPDATE faq_restored SET rbr = 1"),
              QStringLiteral("DROP TRIGGER faq_keep_updated ON faq"), QStringLiteral("SELECT faq_keep_version()"),
              QStringLiteral("DELETE FROM faq_word_places"),
              QStringLiteral("INSERT INTO faq_word_places VALUES (0, 'x', 1)"),
              QStringLiteral("SELECT faq_keep_words()")}) {
            const run_result refused = as_mirt(QStringLiteral("faq"), QStringLiteral("require"), statement);
            QVERIFY2(refused.exit_code != 0
                         && (refused.output.contains(QStringLiteral("permission denied"))
                             || refused.output.contains(QStringLiteral("must be owner"))),
                     qPrintable(statement + QStringLiteral(": ") + refused.output));
        }
    }

    // The word search's words are kept, the trigram index of earlier versions gone: mirt finds
    // entry 2 by its answer's word typed without its diacritics, and by the beginning of it as
    // written.
    void verify_word_search()
    {
        QCOMPARE(admin_value(QStringLiteral("SELECT count(*) FROM pg_indexes WHERE indexname = 'faq_words_trigrams'")),
                 QStringLiteral("0"));
        const run_result found = as_mirt(
            QStringLiteral("faq"), QStringLiteral("require"),
            QStringLiteral("SELECT string_agg(rbr::text || ':' || place, ',' ORDER BY rbr) FROM faq_word_places "
                           "WHERE word = faq_words_fold('CVRSCE') UNION ALL "
                           "SELECT string_agg(rbr::text || ':' || place, ',') FROM faq_word_places "
                           "WHERE word LIKE 'čvrš%'"));
        QVERIFY2(found.exit_code == 0, qPrintable(found.output));
        QCOMPARE(found.output.trimmed(), QStringLiteral("2:5\n2:2"));
    }

    void verify_program_rights()
    {
        QCOMPARE(
            admin_value(QStringLiteral("SELECT rolsuper || ' ' || rolcreatedb || ' ' || rolcreaterole || ' ' || "
                                       "(rolpassword LIKE 'SCRAM-SHA-256$%') FROM pg_authid WHERE rolname = 'mirt'"),
                        QStringLiteral("postgres")),
            QStringLiteral("false false false true"));
        // The entries; the history only to read, and to note a restore in.
        QCOMPARE(admin_value(QStringLiteral(
                     "SELECT string_agg(table_name || ':' || privileges, ' ' ORDER BY table_name) FROM "
                     "(SELECT table_name, string_agg(privilege_type, ',' ORDER BY privilege_type) AS privileges "
                     "FROM information_schema.role_table_grants WHERE grantee = 'mirt' GROUP BY table_name) t")),
                 QStringLiteral("faq:DELETE,INSERT,SELECT,UPDATE faq_history:SELECT faq_restored:INSERT,SELECT "
                                "faq_word_places:SELECT"));
        QCOMPARE(admin_value(QStringLiteral(
                     "SELECT string_agg(DISTINCT pg_get_userbyid(relowner), ',') FROM pg_class "
                     "WHERE oid IN ('faq'::regclass, 'faq_history'::regclass, 'faq_restored'::regclass)")),
                 QStringLiteral("postgres"));
        QCOMPARE(admin_value(QStringLiteral(
                     "SELECT string_agg(proname || ':' || pg_get_userbyid(proowner) || ':' || prosecdef, ' ' "
                     "ORDER BY proname) FROM pg_proc WHERE proname LIKE 'faq_keep_%'")),
                 QStringLiteral("faq_keep_truncated:postgres:true faq_keep_version:postgres:true "
                                "faq_keep_words:postgres:true faq_keep_words_truncated:postgres:true"));
        QCOMPARE(admin_value(QStringLiteral("SELECT has_database_privilege('mirt', 'faq', 'CREATE') || ' ' || "
                                            "has_database_privilege('mirt', 'faq', 'TEMP') || ' ' || "
                                            "has_schema_privilege('mirt', 'public', 'CREATE')")),
                 QStringLiteral("false false false"));
    }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readme_commands_give_every_desktop_the_shared_database();
    void server_command_run_again_changes_no_row();
    void server_command_takes_over_an_older_database_without_loss();
    void history_added_to_a_database_set_up_before_it();
    void desktop_command_updates_keeps_and_goes_back();
    void installed_commands_find_their_files();
};

void tst_shared_database::initTestCase()
{
    QVERIFY(cluster.isValid() && odbc_system.isValid());
    const run_result started_cluster =
        run(script(QStringLiteral("pg")),
            {QStringLiteral("start"), cluster.path(), QStringLiteral("--tls"), QStringLiteral("--bare")});
    QVERIFY2(started_cluster.exit_code == 0, qPrintable(started_cluster.output));
    started = true;
    port = started_cluster.output.trimmed().toInt();
    QVERIFY(port > 0);
    QCOMPARE(admin_value(QStringLiteral("SHOW ssl"), QStringLiteral("postgres")), QStringLiteral("on"));

    scripts_test::write_driver_definitions(odbc_system.path());
}

void tst_shared_database::cleanupTestCase()
{
    if (started)
        run(script(QStringLiteral("pg")), {QStringLiteral("stop"), cluster.path()});
}

void tst_shared_database::readme_commands_give_every_desktop_the_shared_database()
{
    reset_server();
    const QStringList server_arguments = readme_arguments(QStringLiteral("tarvo-setup-server"), port);
    const QStringList desktop_arguments = readme_arguments(QStringLiteral("tarvo-setup-dsn"), port);
    QVERIFY2(server_arguments.contains(QStringLiteral("127.0.0.1/32")), qPrintable(server_arguments.join(' ')));
    QVERIFY2(desktop_arguments.contains(QStringLiteral("127.0.0.1:%1").arg(port)),
             qPrintable(desktop_arguments.join(' ')));

    // The server.
    const run_result server = server_command(server_arguments);
    QVERIFY2(server.exit_code == 0, qPrintable(server.output));
    QVERIFY2(server.output.contains(QStringLiteral("Role mirt: created")), qPrintable(server.output));
    QVERIFY2(server.output.contains(QStringLiteral("Sample entries: 30 loaded.")), qPrintable(server.output));
    QVERIFY2(server.output.contains(hba_line), qPrintable(server.output));
    verify_program_rights();

    // A desktop that runs the embedded database already (as tarvo's first start leaves it).
    QTemporaryDir home;
    const run_result first_start = desktop_command(home.path(), {});
    QVERIFY2(first_start.exit_code == 0, qPrintable(first_start.output));
    const run_result desktop = desktop_command(home.path(), desktop_arguments);
    QVERIFY2(desktop.exit_code == 0, qPrintable(desktop.output));
    QVERIFY2(desktop.output.contains(QStringLiteral("connects and finds 30 entries")), qPrintable(desktop.output));
    const QString kept = first_match(desktop.output, QStringLiteral("previous definition is kept in (\\S+)\\.\\n"));
    QVERIFY2(read_file(kept).contains(QStringLiteral("Description=tarvo FAQ database (embedded)")),
             qPrintable(desktop.output));
    const QString user_ini = read_file(home.filePath(QStringLiteral(".odbc.ini")));
    for (const QString& setting : {QStringLiteral("Driver=PostgreSQL Unicode"), QStringLiteral("Servername=127.0.0.1"),
                                   QStringLiteral("Port=%1").arg(port), QStringLiteral("Database=faq"),
                                   QStringLiteral("SSLmode=require"), test_support::network_bounds_setting()})
        QVERIFY2(user_ini.contains(setting + QLatin1Char('\n')), qPrintable(user_ini));

    // The program's store on that data source: the search ignores the case of every letter.
    qputenv("ODBCSYSINI", odbc_system.path().toLocal8Bit());
    qputenv("ODBCINI", home.filePath(QStringLiteral(".odbc.ini")).toLocal8Bit());
    {
        transaction sqlca(QStringLiteral("shared"));
        test_support::connect_session(sqlca);
        QVERIFY2(sqlca.SQLCode == 0, qPrintable(sqlca.SQLErrText));
        auto found = [&](const search::criteria& criteria) {
            std::vector<statements::list_row> rows;
            statements::retrieve(sqlca, search::compose(criteria), rows);
            std::set<int> numbers;
            for (const auto& row : rows)
                numbers.insert(row.rbr.value_or(0));
            return numbers;
        };
        QCOMPARE(
            found(
                {QStringLiteral("PUMP"), QStringLiteral("Keyword"), {}, QStringLiteral("All"), QStringLiteral("AND")}),
            (std::set<int>{1, 12, 29}));
        QCOMPARE(
            found({QStringLiteral("ŠUM"), QStringLiteral("All"), {}, QStringLiteral("All"), QStringLiteral("AND")}),
            (std::set<int>{11}));
        QCOMPARE(found({QStringLiteral("zelba"), QStringLiteral("Product"), QStringLiteral("pump"),
                        QStringLiteral("Question"), QStringLiteral("NOT")}),
                 (std::set<int>{4, 20}));
        // The connection is encrypted.
        std::vector<statements::list_row> rows;
        statements::retrieve(sqlca,
                             QStringLiteral("SELECT 1, CASE WHEN ssl THEN 'TLS' ELSE 'plain' END, version "
                                            "FROM pg_stat_ssl WHERE pid = pg_backend_pid()"),
                             rows);
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(rows.front().proizvod, QStringLiteral("TLS"));

        // The history keeps what the program changes, with the desktop user, and the program
        // restores a deleted entry from it: all as mirt, who may not write the history itself.
        statements::update_entry(
            sqlca,
            {QStringLiteral("k"), QStringLiteral("q"), QStringLiteral("p"), QStringLiteral("l"), QStringLiteral("a")},
            3);
        sqlca.commit();
        QVERIFY2(sqlca.SQLCode == 0, qPrintable(sqlca.SQLErrText));
        statements::delete_entry(sqlca, 3);
        sqlca.commit();
        std::vector<history::version> versions;
        history::versions_of_entry(sqlca, 3, versions);
        QCOMPARE(versions.size(), std::size_t(2));
        QCOMPARE(versions[1].texts.pitanje,
                 QStringLiteral("Can opened reagent cartridges be stored at room temperature?"));
        QCOMPARE(versions[0].changed_by, session_identity::desktop_user());
        history::restore_outcome outcome;
        history::restore_deleted(
            sqlca, versions[0].id, [](std::optional<int>) { return std::optional<std::int16_t>(); }, outcome);
        QVERIFY2(outcome.what == history::restore_outcome::result::restored, qPrintable(outcome.title + outcome.text));
        QCOMPARE(outcome.rbr, 3);
        QCOMPARE(
            admin_value(QStringLiteral("SELECT pitanje || ' ' || restored_by FROM faq JOIN faq_restored USING (rbr)")),
            QStringLiteral("q ") + session_identity::desktop_user());
        sqlca.disconnect();
    }
    verify_history_is_read_only_for_mirt();

    // Nobody gets in unencrypted, mirt reaches no other database and may create nothing.
    const run_result plain = as_mirt(QStringLiteral("faq"), QStringLiteral("disable"), QStringLiteral("SELECT 1"));
    QVERIFY2(plain.exit_code != 0 && plain.output.contains(QStringLiteral("no pg_hba.conf entry")),
             qPrintable(plain.output));
    const run_result other = as_mirt(QStringLiteral("postgres"), QStringLiteral("require"), QStringLiteral("SELECT 1"));
    QVERIFY2(other.exit_code != 0 && other.output.contains(QStringLiteral("no pg_hba.conf entry")),
             qPrintable(other.output));
    const run_result create =
        as_mirt(QStringLiteral("faq"), QStringLiteral("require"), QStringLiteral("CREATE TABLE notes (x int)"));
    QVERIFY2(create.exit_code != 0 && create.output.contains(QStringLiteral("permission denied")),
             qPrintable(create.output));
    const run_result drop = as_mirt(QStringLiteral("faq"), QStringLiteral("require"), QStringLiteral("DROP TABLE faq"));
    QVERIFY2(drop.exit_code != 0 && drop.output.contains(QStringLiteral("must be owner")), qPrintable(drop.output));

    // And back to the embedded database, keeping the shared definition.
    const run_result back = desktop_command(home.path(), {QStringLiteral("--embedded")});
    QVERIFY2(back.exit_code == 0, qPrintable(back.output));
    QVERIFY2(read_file(home.filePath(QStringLiteral(".odbc.ini")))
                 .contains(QStringLiteral("Description=tarvo FAQ database (embedded)")),
             qPrintable(back.output));
    const QString shared_copy = first_match(back.output, QStringLiteral("previous definition is kept in (\\S+)\\.\\n"));
    QVERIFY2(read_file(shared_copy).contains(QStringLiteral("SSLmode=require")), qPrintable(back.output));
}

void tst_shared_database::server_command_run_again_changes_no_row()
{
    const QStringList arguments = {QStringLiteral("--network"), QStringLiteral("127.0.0.1/32"),
                                   QStringLiteral("--sample-entries"), QStringLiteral("--apply")};
    reset_server();
    run_result first = server_command(arguments);
    QVERIFY2(first.exit_code == 0, qPrintable(first.output));
    // The team's own changes since.
    QCOMPARE(
        admin(QStringLiteral("UPDATE faq SET odgovor = odgovor || ' Provjereno.' WHERE rbr = 3; "
                             "DELETE FROM faq WHERE rbr = 30; "
                             "INSERT INTO faq VALUES (31, '', 'Prazno', '01/01/2025', '', '', repeat('Ž', 100000))"))
            .exit_code,
        0);
    const QString before = table_fingerprint();
    QVERIFY(before.startsWith(QStringLiteral("30 ")));
    const QString history_before = history_fingerprint();
    QVERIFY2(history_before.startsWith(QStringLiteral("2 ")), qPrintable(history_before));

    for (int again = 1; again <= 2; ++again) {
        const run_result next = server_command(arguments);
        QVERIFY2(next.exit_code == 0, qPrintable(next.output));
        QVERIFY2(next.output.contains(QStringLiteral("Table faq: kept with its 30 entries, none of them changed.")),
                 qPrintable(next.output));
        QVERIFY2(
            next.output.contains(QStringLiteral("Sample entries: not loaded, the table already holds 30 entries.")),
            qPrintable(next.output));
        QVERIFY2(next.output.contains(hba_line + QStringLiteral("   (there already)")), qPrintable(next.output));
        QVERIFY2(next.output.contains(QStringLiteral("History of the entries: kept with its 2 versions")),
                 qPrintable(next.output));
        QVERIFY2(next.output.contains(QStringLiteral("Search indexes: 5 of the 5 searched columns indexed.")),
                 qPrintable(next.output));
        QCOMPARE(table_fingerprint(), before);
        QCOMPARE(history_fingerprint(), history_before);
    }
    QCOMPARE(read_file(cluster.filePath(QStringLiteral("data/pg_hba.conf"))).count(hba_line), 1);
    verify_program_rights();
}

void tst_shared_database::server_command_takes_over_an_older_database_without_loss()
{
    reset_server();
    // As the README once told an administrator to set it up: mirt owns the database and its
    // table of plain text, and its password is an MD5 hash.
    QCOMPARE(admin(QStringLiteral("SET password_encryption = 'md5'; CREATE ROLE mirt LOGIN CREATEDB PASSWORD 'mirt'"),
                   QStringLiteral("postgres"))
                 .exit_code,
             0);
    QCOMPARE(admin(QStringLiteral("CREATE DATABASE faq OWNER mirt"), QStringLiteral("postgres")).exit_code, 0);
    const run_result made = admin(QStringLiteral(
        "SET ROLE mirt; "
        "CREATE TABLE faq (rbr integer NOT NULL PRIMARY KEY, adresa text, pitanje text, datum varchar(10), "
        "proizvod varchar(100), lot text, odgovor text); "
        "INSERT INTO faq VALUES (1, 'šum, optika', 'Povećan ŠUM signala', '02/18/2020', 'Fotometar', 'FM-1', "
        "'Đak ili Ćiro'), (2, '', 'it''s D:\\Backup', '01/01/2021', 'x', '', repeat('Čvršće ', 50000)), "
        "(3, NULL, NULL, NULL, NULL, NULL, NULL), (4, '  ', 'Blanks  kept  ', '', 'y', 'z', '')"));
    QVERIFY2(made.exit_code == 0, qPrintable(made.output));
    // And mirt added the history itself, owning its tables and functions.
    QProcessEnvironment as_owner = QProcessEnvironment::systemEnvironment();
    const run_result history_by_mirt =
        run(QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
             QStringLiteral("-h"), cluster.path(), QStringLiteral("-p"), QString::number(port), QStringLiteral("-U"),
             QStringLiteral("postgres"), QStringLiteral("-d"), QStringLiteral("faq"), QStringLiteral("-1"),
             QStringLiteral("-c"), QStringLiteral("SET ROLE mirt"), QStringLiteral("-f"),
             test_support::source_dir() + QStringLiteral("/db/faq-history.postgresql.sql")},
            as_owner);
    QVERIFY2(history_by_mirt.exit_code == 0, qPrintable(history_by_mirt.output));
    QCOMPARE(
        admin_value(QStringLiteral("SELECT pg_get_userbyid(proowner) FROM pg_proc WHERE proname = 'faq_keep_version'")),
        QStringLiteral("mirt"));
    // And the word search of an earlier version: one trigram index over every text.
    const run_result old_words = admin(QStringLiteral(
        "CREATE EXTENSION unaccent; CREATE EXTENSION pg_trgm; "
        "CREATE FUNCTION faq_words_text(a text, p text, r text, l text, o text) RETURNS text LANGUAGE sql "
        "IMMUTABLE AS $$ SELECT lower(unaccent('unaccent'::regdictionary, concat_ws(' ', a, p, r, l, o))) $$; "
        "CREATE INDEX faq_words_trigrams ON faq USING gin "
        "(faq_words_text(adresa, pitanje, proizvod, lot, odgovor) gin_trgm_ops)"));
    QVERIFY2(old_words.exit_code == 0, qPrintable(old_words.output));
    // The NULL texts of entry 3 become empty ones, which a NOT search finds; nothing else changes.
    const QString before = table_fingerprint(QStringLiteral(
        "ROW(rbr, coalesce(adresa, ''), coalesce(pitanje, ''), datum, coalesce(proizvod, ''), coalesce(lot, ''), "
        "coalesce(odgovor, ''))::text || ':' || length(coalesce(odgovor, ''))"));

    const QStringList arguments = {QStringLiteral("--network"), QStringLiteral("127.0.0.1/32"),
                                   QStringLiteral("--sample-entries"), QStringLiteral("--apply")};
    const run_result takeover = server_command(arguments);
    QVERIFY2(takeover.exit_code == 0, qPrintable(takeover.output));
    QVERIFY2(
        takeover.output.contains(QStringLiteral("Table faq: kept with its 4 entries. "
                                                "Columns adresa, pitanje, proizvod, lot, odgovor converted to citext.\n"
                                                "  5 missing (NULL) texts in 1 entry made empty texts")),
        qPrintable(takeover.output));
    QVERIFY2(takeover.output.contains(QStringLiteral("Sample entries: not loaded")), qPrintable(takeover.output));
    QCOMPARE(table_fingerprint(), before);
    QCOMPARE(admin_value(QStringLiteral("SELECT string_agg(attname, ',' ORDER BY attnum) FROM pg_attribute "
                                        "WHERE attrelid = 'faq'::regclass AND attnotnull AND attnum > 0")),
             QStringLiteral("rbr,adresa,pitanje,proizvod,lot,odgovor"));
    const run_result again = server_command(arguments);
    QVERIFY2(again.exit_code == 0
                 && again.output.contains(QStringLiteral("kept with its 4 entries, none of them changed.")),
             qPrintable(again.output));
    QCOMPARE(table_fingerprint(), before);
    QCOMPARE(admin_value(QStringLiteral("SELECT string_agg(format_type(atttypid, atttypmod), ',' ORDER BY attnum) "
                                        "FROM pg_attribute WHERE attrelid = 'faq'::regclass AND attnum > 0")),
             QStringLiteral("integer,citext,citext,character varying(10),citext,citext,citext"));
    QCOMPARE(admin_value(QStringLiteral("SELECT pg_get_userbyid(datdba) FROM pg_database WHERE datname = 'faq'"),
                         QStringLiteral("postgres")),
             QStringLiteral("postgres"));
    verify_program_rights();

    // mirt now searches without regard to case, and still changes rows.
    const run_result search = as_mirt(QStringLiteral("faq"), QStringLiteral("require"),
                                      QStringLiteral("SELECT string_agg(rbr::text, ',' ORDER BY rbr) FROM faq "
                                                     "WHERE pitanje LIKE '%šum%' OR odgovor LIKE '%ČVRŠĆE%'"));
    QVERIFY2(search.exit_code == 0, qPrintable(search.output));
    QCOMPARE(search.output.trimmed(), QStringLiteral("1,2"));
    const run_result change = as_mirt(QStringLiteral("faq"), QStringLiteral("require"),
                                      QStringLiteral("UPDATE faq SET lot = 'FM-2' WHERE rbr = 1"));
    QVERIFY2(change.exit_code == 0, qPrintable(change.output));
    verify_word_search();
    // The history mirt made passed to the administrator, and keeps the change.
    QVERIFY2(takeover.output.contains(QStringLiteral("History of the entries: kept with its 0 versions")),
             qPrintable(takeover.output));
    QCOMPARE(admin_value(QStringLiteral("SELECT lot || ' ' || change FROM faq_history")),
             QStringLiteral("FM-1 update"));
    verify_history_is_read_only_for_mirt();
}

void tst_shared_database::history_added_to_a_database_set_up_before_it()
{
    const QStringList arguments = {QStringLiteral("--network"), QStringLiteral("127.0.0.1/32"),
                                   QStringLiteral("--sample-entries"), QStringLiteral("--apply")};
    reset_server();
    QVERIFY(server_command(arguments).exit_code == 0);
    // The database as the server command left it before the history existed, and changes since.
    QCOMPARE(
        admin(QStringLiteral(
                  "DROP TABLE faq_restored, faq_history; "
                  "DROP FUNCTION faq_keep_version(), faq_keep_truncated() CASCADE; "
                  "UPDATE faq SET odgovor = odgovor || ' Provjereno.' WHERE rbr = 3; DELETE FROM faq WHERE rbr = 30; "
                  "INSERT INTO faq VALUES (31, '', 'Prazno', '01/01/2025', '', '', repeat('Ž', 100000))"))
            .exit_code,
        0);
    const QString before = table_fingerprint();

    // The documented step, twice: it adds the history and changes no row.
    for (int again = 1; again <= 2; ++again) {
        const run_result step = history_step();
        QVERIFY2(step.exit_code == 0, qPrintable(step.output));
        QCOMPARE(table_fingerprint(), before);
        QCOMPARE(history_fingerprint(), QStringLiteral("0")); // trimmed: no versions
    }
    verify_program_rights();
    verify_history_is_read_only_for_mirt();
    const run_result change =
        as_mirt(QStringLiteral("faq"), QStringLiteral("require"),
                QStringLiteral("SET tarvo.desktop_user = 'ana'; UPDATE faq SET lot = 'L-31' WHERE rbr = 31"));
    QVERIFY2(change.exit_code == 0, qPrintable(change.output));
    QCOMPARE(
        admin_value(QStringLiteral("SELECT rbr || ' ' || coalesce(lot, 'null') || ' ' || change || ' ' || changed_by "
                                   "FROM faq_history")),
        QStringLiteral("31  update ana"));

    // The server command afterwards keeps that history as it is.
    const QString history_before = history_fingerprint();
    const run_result again = server_command(arguments);
    QVERIFY2(again.exit_code == 0, qPrintable(again.output));
    QVERIFY2(again.output.contains(QStringLiteral("History of the entries: kept with its 1 version;")),
             qPrintable(again.output));
    QCOMPARE(history_fingerprint(), history_before);
    verify_program_rights();
}

void tst_shared_database::desktop_command_updates_keeps_and_goes_back()
{
    QTemporaryDir home;
    const QString ini = home.filePath(QStringLiteral(".odbc.ini"));
    const QString folder = home.filePath(QStringLiteral(".local/share/tarvo"));
    const QString load_ext = QStringLiteral("LoadExt=") + test_support::like_extension_path() + QLatin1Char('\n');

    // Nothing defined: the embedded database with its sample entries and the LIKE extension.
    run_result result = desktop_command(home.path(), {});
    QVERIFY2(result.exit_code == 0, qPrintable(result.output));
    QVERIFY2(result.output.contains(QStringLiteral("with 30 sample entries")), qPrintable(result.output));
    QVERIFY2(read_file(ini).contains(load_ext), qPrintable(read_file(ini)));

    // One that an earlier version made, with a setting someone added: brought up to date.
    const QString database = folder + QStringLiteral("/faq.db");
    write_file(ini, QStringLiteral("[FAQ]\nDescription=tarvo FAQ database (embedded)\nDriver=SQLite3\nDatabase=%1\n"
                                   "Timeout=2000\nNoWCHAR=0\n")
                        .arg(database));
    result = desktop_command(home.path(), {});
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("Updated the data source")),
             qPrintable(result.output));
    QString now = read_file(ini);
    QVERIFY2(now.contains(load_ext) && now.contains(QStringLiteral("Database=") + database + QLatin1Char('\n'))
                 && now.contains(QStringLiteral("NoWCHAR=0\n")),
             qPrintable(now));
    result = desktop_command(home.path(), {});
    QVERIFY2(result.output.contains(QStringLiteral("leaving it as it is")), qPrintable(result.output));
    QCOMPARE(read_file(ini), now);

    // Somebody else's data source "FAQ" is left alone.
    const QString own =
        QStringLiteral("[FAQ]\nDescription=our own\nDriver=SQLite3\nDatabase=%1/other.db\n").arg(home.path());
    write_file(ini, own);
    result = desktop_command(home.path(), {});
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("leaving it as it is")),
             qPrintable(result.output));
    QCOMPARE(read_file(ini), own);

    // A server that does not answer: the user's odbc.ini stays as it was, byte for byte, and no
    // copy is left; for a user who had none, none is made.
    const QStringList copies_before = QDir(folder).entryList({QStringLiteral("FAQ-*")});
    const QString by_hand = QStringLiteral("; kept by hand\n") + own + QStringLiteral("\n[Other]\nDriver = SQLite3\n");
    write_file(ini, by_hand);
    QTemporaryDir fresh_home;
    for (const QString& at : {home.path(), fresh_home.path()}) {
        result = desktop_command(at, {QStringLiteral("--postgresql"), QStringLiteral("127.0.0.1:1")});
        QVERIFY2(result.exit_code == 1
                     && result.output.contains(at == home.path() ? QStringLiteral("it is as it was")
                                                                 : QStringLiteral("none was set up"))
                     && result.output.contains(QStringLiteral("check that 127.0.0.1 is the server's name")),
                 qPrintable(result.output));
        QVERIFY2(result.output.contains(QStringLiteral("Connection refused")),
                 qPrintable(result.output)); // the driver's own message
    }
    QCOMPARE(read_file(ini), by_hand);
    QCOMPARE(QDir(folder).entryList({QStringLiteral("FAQ-*")}), copies_before);
    QCOMPARE(QDir(fresh_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    // One that answers, for a user who had no data source: no previous definition to speak of.
    result =
        desktop_command(fresh_home.path(), {QStringLiteral("--postgresql"), QStringLiteral("127.0.0.1:%1").arg(port)});
    QVERIFY2(result.exit_code == 0 && !result.output.contains(QStringLiteral("previous definition")),
             qPrintable(result.output));
    write_file(ini, own);

    // Back to the embedded database, keeping a copy of what it replaces.
    result = desktop_command(home.path(), {QStringLiteral("--embedded")});
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("connects and finds 30 entries")),
             qPrintable(result.output));
    const QString copy = first_match(result.output, QStringLiteral("previous definition is kept in (\\S+)\\.\\n"));
    QCOMPARE(read_file(copy).trimmed(), own.trimmed());
    QVERIFY(read_file(ini).contains(QStringLiteral("Database=") + database + QLatin1Char('\n')));

    // What is no server or option is refused before anything changes.
    now = read_file(ini);
    for (const QStringList& wrong :
         {QStringList{QStringLiteral("--postgresql"), QStringLiteral("faq server")},
          QStringList{QStringLiteral("--postgresql"), QStringLiteral("faq-server:99999")},
          QStringList{QStringLiteral("--postgresql")}, QStringList{QStringLiteral("--shared")}}) {
        result = desktop_command(home.path(), wrong);
        QVERIFY2(result.exit_code != 0, qPrintable(wrong.join(' ') + QStringLiteral(": ") + result.output));
    }
    QCOMPARE(read_file(ini), now);
}

void tst_shared_database::installed_commands_find_their_files()
{
    QTemporaryDir prefix;
    const run_result installed =
        run(QStringLiteral("cmake"),
            {QStringLiteral("--install"), QStringLiteral(TARVO_BINARY_DIR), QStringLiteral("--prefix"), prefix.path()});
    QVERIFY2(installed.exit_code == 0, qPrintable(installed.output));
    for (const char* file : {"bin/tarvo-setup-server", "bin/tarvo-setup-dsn", "lib/tarvo/tarvo_like.so",
                             "share/tarvo/faq.postgresql.sql", "share/tarvo/faq-citext.postgresql.sql",
                             "share/tarvo/sample-entries.sql", "share/tarvo/faq-history.sqlite.sql",
                             "share/tarvo/faq-history.postgresql.sql", "share/tarvo/faq-search-index.postgresql.sql"})
        QVERIFY2(QFileInfo::exists(prefix.filePath(QString::fromLatin1(file))), file);

    // The installed helper finds the installed extension and schemas by itself.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.remove(QStringLiteral("TARVO_LIKE_EXTENSION"));
    environment.insert(QStringLiteral("ODBCINI"), home.filePath(QStringLiteral(".odbc.ini")));
    environment.insert(QStringLiteral("ODBCSYSINI"), odbc_system.path());
    const run_result embedded =
        run(prefix.filePath(QStringLiteral("bin/tarvo-setup-dsn")), {QStringLiteral("--embedded")}, environment);
    QVERIFY2(embedded.exit_code == 0 && embedded.output.contains(QStringLiteral("finds 30 entries")),
             qPrintable(embedded.output));
    const QString ini = read_file(home.filePath(QStringLiteral(".odbc.ini")));
    QVERIFY2(ini.contains(QStringLiteral("LoadExt=")
                          + QFileInfo(prefix.filePath(QStringLiteral("lib/tarvo/tarvo_like.so"))).canonicalFilePath()
                          + QLatin1Char('\n')),
             qPrintable(ini));
    const run_result help =
        run(prefix.filePath(QStringLiteral("bin/tarvo-setup-server")), {QStringLiteral("--help")}, environment);
    QVERIFY2(help.exit_code == 0 && help.output.contains(QStringLiteral("--network")), qPrintable(help.output));
}

TARVO_GUILESS_TEST_MAIN(tst_shared_database)
#include "tst_shared_database.moc"
