// tarvo-setup-server on a server as Debian makes it (pg_createcluster, TLS off, listening on
// localhost), run by root as the administrators' guide says: what it refuses leaves every file and the catalog
// as they were, a dry run changes nothing, a step that fails puts back what the run changed, TLS
// and listen_addresses come out right, and a second run repairs what a desktop did to the role.
// A desktop set up with the server's certificate reaches it, and refuses a server with another.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "script_runner.h"
#include "unexpected_dialogs.h"

using scripts_test::debian_cluster;
using scripts_test::read_file;
using scripts_test::run;
using scripts_test::run_result;
using scripts_test::script;
using scripts_test::write_file;

namespace {

// A self-signed certificate for 127.0.0.5 (the server's address in the tests), its key readable by the server only.
bool make_certificate(const QString& folder, const QString& name)
{
    const QString key = folder + QLatin1Char('/') + name + QStringLiteral(".key");
    return run(QStringLiteral("openssl"),
               {QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-x509"), QStringLiteral("-days"),
                QStringLiteral("2"), QStringLiteral("-nodes"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.5"),
                QStringLiteral("-keyout"), key, QStringLiteral("-out"),
                folder + QLatin1Char('/') + name + QStringLiteral(".crt")})
                   .exit_code
               == 0
           && QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner)
           && run(QStringLiteral("chown"), {QStringLiteral("postgres:"), key}).exit_code == 0;
}

} // namespace

class tst_debian_server : public QObject {
    Q_OBJECT
    std::unique_ptr<debian_cluster> cluster;
    QTemporaryDir certificates{QStringLiteral("/tmp/tarvo-certificates-XXXXXX")};
    QTemporaryDir odbc_system;
    QString hba_line = QStringLiteral("hostssl faq mirt 127.0.0.0/24 scram-sha-256");

    // The administrator's command in a root shell.
    run_result server(const QStringList& arguments,
                      const QString& program = script(QStringLiteral("tarvo-setup-server")),
                      QProcessEnvironment environment = {})
    {
        if (environment.isEmpty())
            environment = cluster->environment();
        return run(program, arguments, environment);
    }
    QString admin_value(const QString& query, const QString& database = QStringLiteral("postgres"))
    {
        return cluster->admin(query, database).output.trimmed();
    }

    // Every file of the server's configuration (and the machine's certificate): names and bytes.
    QString files_now()
    {
        QString all;
        const QDir config(cluster->config(QString()));
        for (const QString& file : config.entryList(QDir::Files, QDir::Name))
            all += file + QLatin1Char('\n') + read_file(config.filePath(file));
        all += read_file(cluster->data(QStringLiteral("postgresql.auto.conf")));
        all += QFile::exists(QStringLiteral("/etc/ssl/certs/ssl-cert-snakeoil.pem")) ? QStringLiteral("snakeoil")
                                                                                     : QString();
        return all;
    }
    // Roles, databases, role settings and the settings in force, by query.
    QString catalog_now()
    {
        return admin_value(
            QStringLiteral("SELECT (SELECT string_agg(rolname, ',' ORDER BY rolname) FROM pg_roles) || ' ' || "
                           "(SELECT string_agg(datname, ',' ORDER BY datname) FROM pg_database) || ' ' || "
                           "(SELECT count(*) FROM pg_db_role_setting) || ' ' || current_setting('ssl') || ' ' || "
                           "current_setting('listen_addresses')"));
    }

    // psql as a desktop would connect: user mirt over TCP to 127.0.0.5.
    run_result as_mirt(const QString& password, const QStringList& statements)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSWORD"), password);
        QStringList arguments = {
            QStringLiteral("-X"), QStringLiteral("-qAt"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
            QStringLiteral("host=127.0.0.5 port=%1 user=mirt dbname=faq sslmode=require").arg(cluster->port)};
        for (const QString& statement : statements)
            arguments << QStringLiteral("-c") << statement;
        return run(QStringLiteral("psql"), arguments, environment);
    }

private slots:
    void initTestCase();
    void refused_before_any_change_data();
    void refused_before_any_change();
    void dry_run_changes_nothing();
    void failed_step_puts_back_what_it_changed();
    void tls_addresses_and_role_come_right_and_stay_so();
};

void tst_debian_server::initTestCase()
{
    if (geteuid() != 0)
        QSKIP("pg_createcluster makes a server's cluster as root only (CI runs these tests as root)");
    QVERIFY(certificates.isValid() && odbc_system.isValid());
    QVERIFY(QFile::setPermissions(certificates.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                           | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(make_certificate(certificates.path(), QStringLiteral("server")));
    QVERIFY(make_certificate(certificates.path(), QStringLiteral("other")));
    scripts_test::write_driver_definitions(odbc_system.path());
    cluster = std::make_unique<debian_cluster>(QStringLiteral("server"));
    // TLS off, with a certificate in place that --enable-tls finds.
    const QString made =
        cluster->create({QStringLiteral("ssl=off"),
                         QStringLiteral("ssl_cert_file=") + certificates.filePath(QStringLiteral("server.crt")),
                         QStringLiteral("ssl_key_file=") + certificates.filePath(QStringLiteral("server.key"))});
    QVERIFY2(made.isEmpty(), qPrintable(made));
    QCOMPARE(admin_value(QStringLiteral("SHOW ssl")), QStringLiteral("off"));
    QCOMPARE(admin_value(QStringLiteral("SHOW listen_addresses")), QStringLiteral("localhost"));
}

void tst_debian_server::refused_before_any_change_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("hba_addition"); // a line added by hand, not loaded yet
    QTest::addColumn<bool>("script_alone");    // the script copied without the db folder
    QTest::addColumn<QStringList>("said");

    QTest::newRow("TLS off") << QStringList{QStringLiteral("--network"), QStringLiteral("127.0.0.0/24"),
                                            QStringLiteral("--apply")}
                             << QString() << false
                             << QStringList{QStringLiteral("TLS is off on this server (ssl = off)"),
                                            QStringLiteral("--apply --enable-tls")};
    QTest::newRow("pg_hba.conf PostgreSQL refuses")
        << QStringList{QStringLiteral("--network"), QStringLiteral("127.0.0.0/24"), QStringLiteral("--enable-tls"),
                       QStringLiteral("--apply")}
        << QStringLiteral("host all all 127.0.0.1/33 trust\n") << false
        << QStringList{QStringLiteral("PostgreSQL does not accept"), QStringLiteral("127.0.0.1/33"),
                       QStringLiteral("pg_hba.conf")};
    QTest::newRow("script without the schema")
        << QStringList{QStringLiteral("--network"), QStringLiteral("127.0.0.0/24"), QStringLiteral("--enable-tls")}
        << QString() << true
        << QStringList{QStringLiteral("cannot find the schema faq.postgresql.sql; looked in: "),
                       QStringLiteral("/usr/share/tarvo.")};
}

void tst_debian_server::refused_before_any_change()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, hba_addition);
    QFETCH(bool, script_alone);
    QFETCH(QStringList, said);

    const QString hba = cluster->config(QStringLiteral("pg_hba.conf"));
    const QString hba_as_it_was = read_file(hba);
    write_file(hba, hba_as_it_was + hba_addition);
    QTemporaryDir alone;
    QString program = script(QStringLiteral("tarvo-setup-server"));
    if (script_alone) {
        QVERIFY(QFile::copy(program, alone.filePath(QStringLiteral("tarvo-setup-server"))));
        program = alone.filePath(QStringLiteral("tarvo-setup-server"));
    }
    const QString files = files_now();
    const QString catalog = catalog_now();

    const run_result refused = server(arguments, program);
    const QString files_after = files_now();
    const QString catalog_after = catalog_now();
    write_file(hba, hba_as_it_was);
    QVERIFY2(refused.exit_code == 1, qPrintable(refused.output));
    for (const QString& text : said)
        QVERIFY2(refused.output.contains(text), qPrintable(text + QStringLiteral(" not in: ") + refused.output));
    QVERIFY2(refused.output.contains(script_alone ? alone.path() + QStringLiteral("/db, ")
                                                  : QStringLiteral("nothing was changed")),
             qPrintable(refused.output));
    QCOMPARE(files_after, files);
    QCOMPARE(catalog_after, catalog);
}

void tst_debian_server::dry_run_changes_nothing()
{
    const QString files = files_now();
    const QString catalog = catalog_now();
    // Also the script copied alone with the db folder beside it, as onto a server without the package.
    QTemporaryDir alone(QStringLiteral("/tmp/tarvo-alone-XXXXXX"));
    QVERIFY(QFile::copy(script(QStringLiteral("tarvo-setup-server")),
                        alone.filePath(QStringLiteral("tarvo-setup-server"))));
    QVERIFY(QDir().mkpath(alone.filePath(QStringLiteral("db"))));
    for (const QString& file : QDir(test_support::source_dir() + QStringLiteral("/db")).entryList(QDir::Files))
        QVERIFY(QFile::copy(test_support::source_dir() + QStringLiteral("/db/") + file,
                            alone.filePath(QStringLiteral("db/") + file)));

    const run_result dry =
        server({QStringLiteral("--network"), QStringLiteral("127.0.0.0/24"), QStringLiteral("--enable-tls"),
                QStringLiteral("--apply"), QStringLiteral("--listen"), QStringLiteral("127.0.0.5"),
                QStringLiteral("--sample-entries"), QStringLiteral("--dry-run")},
               alone.filePath(QStringLiteral("tarvo-setup-server")));
    QVERIFY2(dry.exit_code == 0, qPrintable(dry.output));
    for (const QString& step :
         {QStringLiteral("ALTER SYSTEM SET ssl TO 'on';"),
          QStringLiteral("ALTER SYSTEM SET listen_addresses TO 'localhost,127.0.0.5';"), hba_line,
          QStringLiteral("SELECT pg_reload_conf();"), QStringLiteral("CREATE DATABASE faq"),
          QStringLiteral("CREATE ROLE mirt WITH LOGIN PASSWORD 'mirt';"), QStringLiteral("ALTER ROLE mirt RESET ALL;"),
          QStringLiteral("\\i ") + alone.filePath(QStringLiteral("db/faq.postgresql.sql")),
          QStringLiteral("\\i ") + alone.filePath(QStringLiteral("db/sample-entries.sql")),
          QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON TABLE public.faq TO mirt;")})
        QVERIFY2(dry.output.contains(step), qPrintable(step + QStringLiteral(" not in: ") + dry.output));
    QCOMPARE(files_now(), files);
    QCOMPARE(catalog_now(), catalog);
}

void tst_debian_server::failed_step_puts_back_what_it_changed()
{
    // The schema files with one that fails at its end, after everything before it has run.
    QTemporaryDir schema(QStringLiteral("/tmp/tarvo-schema-XXXXXX"));
    const QString db = test_support::source_dir() + QStringLiteral("/db/");
    for (const QString& file : QDir(db).entryList(QDir::Files))
        QVERIFY(QFile::copy(db + file, schema.filePath(file)));
    const QString history = schema.filePath(QStringLiteral("faq-history.postgresql.sql"));
    QFile::setPermissions(history, QFile::ReadOwner | QFile::WriteOwner);
    write_file(history, read_file(history) + QStringLiteral("\nSELECT 1 / 0;\n"));
    QProcessEnvironment environment = cluster->environment();
    environment.insert(QStringLiteral("TARVO_DATA_DIR"), schema.path());
    const QString files = files_now();
    const QString catalog = catalog_now();

    const run_result failed =
        server({QStringLiteral("--network"), QStringLiteral("127.0.0.0/24"), QStringLiteral("--enable-tls"),
                QStringLiteral("--apply"), QStringLiteral("--listen"), QStringLiteral("127.0.0.5")},
               script(QStringLiteral("tarvo-setup-server")), environment);
    QVERIFY2(failed.exit_code == 1, qPrintable(failed.output));
    for (const QString& text :
         {QStringLiteral("division by zero"), QStringLiteral("Setting up the database faq failed"),
          QStringLiteral("the database faq removed"), QStringLiteral("postgresql.auto.conf as it was"),
          QStringLiteral("pg_hba.conf as it was")})
        QVERIFY2(failed.output.contains(text), qPrintable(text + QStringLiteral(" not in: ") + failed.output));
    QCOMPARE(files_now(), files);
    QCOMPARE(catalog_now(), catalog);
}

void tst_debian_server::tls_addresses_and_role_come_right_and_stay_so()
{
    const QStringList network = {QStringLiteral("--network"), QStringLiteral("127.0.0.0/24")};
    const QString auto_conf = cluster->data(QStringLiteral("postgresql.auto.conf"));
    const QString restart =
        QFileInfo::exists(QStringLiteral("/run/systemd/system"))
            ? QStringLiteral("systemctl restart postgresql@%1-%2").arg(cluster->version, cluster->name)
            : QStringLiteral("pg_ctlcluster %1 %2 restart").arg(cluster->version, cluster->name);

    // localhost is 127.0.0.1 already, the address this machine has in the network: it stays alone.
    run_result result = server(network + QStringList{QStringLiteral("--enable-tls"), QStringLiteral("--apply")});
    QVERIFY2(result.exit_code == 0, qPrintable(result.output));
    QVERIFY2(result.output.contains(QStringLiteral("TLS: turned on (ssl = on) with the certificate ")
                                    + certificates.filePath(QStringLiteral("server.crt"))),
             qPrintable(result.output));
    QVERIFY2(result.output.contains(QStringLiteral("listen_addresses = 'localhost'   (so already)")),
             qPrintable(result.output));
    QVERIFY2(result.output.contains(QStringLiteral("HOST must be one of its names: 127.0.0.5")),
             qPrintable(result.output));
    QCOMPARE(admin_value(QStringLiteral("SHOW ssl")), QStringLiteral("on"));

    // The address the desktops reach, named: added once, however often the command runs.
    for (int again = 1; again <= 2; ++again) {
        result = server(
            network + QStringList{QStringLiteral("--apply"), QStringLiteral("--listen"), QStringLiteral("127.0.0.5")});
        QVERIFY2(result.exit_code == 0, qPrintable(result.output));
        QVERIFY2(result.output.contains(hba_line + QStringLiteral("   (there already)")), qPrintable(result.output));
        QVERIFY2(result.output.contains(again == 1 ? QStringLiteral("'localhost,127.0.0.5'   (applied")
                                                   : QStringLiteral("'localhost,127.0.0.5'   (so already)")),
                 qPrintable(result.output));
        // Until the server restarts, each run says so.
        QVERIFY2(result.output.contains(restart), qPrintable(result.output));
    }
    QCOMPARE(read_file(auto_conf).count(QStringLiteral("listen_addresses")), 1);
    QCOMPARE(read_file(cluster->config(QStringLiteral("pg_hba.conf"))).count(hba_line), 1);
    const run_result restarted = cluster->control(QStringLiteral("restart"));
    QVERIFY2(restarted.exit_code == 0, qPrintable(restarted.output));

    // A desktop that checks the server's certificate reaches it; one given another refuses it
    // and keeps no data source.
    QTemporaryDir checked_home, wrong_home;
    const QString server_address = QStringLiteral("127.0.0.5:%1").arg(cluster->port);
    result =
        scripts_test::run_setup_dsn(checked_home.path(), odbc_system.path(),
                                    {QStringLiteral("--postgresql"), server_address, QStringLiteral("--certificate"),
                                     certificates.filePath(QStringLiteral("server.crt"))});
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("connects and finds 0 entries")),
             qPrintable(result.output));
    QVERIFY2(!result.output.contains(QStringLiteral("previous definition")), qPrintable(result.output));
    QVERIFY2(
        read_file(checked_home.filePath(QStringLiteral(".odbc.ini"))).contains(QStringLiteral("SSLmode=verify-full\n")),
        qPrintable(read_file(checked_home.filePath(QStringLiteral(".odbc.ini")))));
    result =
        scripts_test::run_setup_dsn(wrong_home.path(), odbc_system.path(),
                                    {QStringLiteral("--postgresql"), server_address, QStringLiteral("--certificate"),
                                     certificates.filePath(QStringLiteral("other.crt"))});
    QVERIFY2(result.exit_code == 1 && result.output.contains(QStringLiteral("certificate verify failed"))
                 && result.output.contains(QStringLiteral("none was set up")),
             qPrintable(result.output));
    QVERIFY(!QFile::exists(wrong_home.filePath(QStringLiteral(".odbc.ini"))));

    // What any desktop may do to the shared role, and a second run that undoes it.
    const run_result vandal =
        as_mirt(QStringLiteral("mirt"), {QStringLiteral("ALTER ROLE mirt SET default_transaction_read_only = on"),
                                         QStringLiteral("ALTER ROLE mirt IN DATABASE faq SET work_mem = '64kB'"),
                                         QStringLiteral("ALTER ROLE mirt PASSWORD 'locked out'")});
    QVERIFY2(vandal.exit_code == 0, qPrintable(vandal.output));
    QVERIFY(as_mirt(QStringLiteral("mirt"), {QStringLiteral("SELECT 1")}).exit_code != 0);
    result = scripts_test::run_as_postgres(
        script(QStringLiteral("tarvo-setup-server")),
        network + QStringList{QStringLiteral("--apply"), QStringLiteral("--listen"), QStringLiteral("127.0.0.5")},
        QStringLiteral("/var/run/postgresql"), cluster->port);
    QVERIFY2(result.exit_code == 0 && result.output.contains(QStringLiteral("no settings of its own")),
             qPrintable(result.output));
    const run_result repaired =
        as_mirt(QStringLiteral("mirt"),
                {QStringLiteral("INSERT INTO faq (rbr, pitanje) VALUES (1, 'Saved again?')"),
                 QStringLiteral(
                     "SELECT current_setting('default_transaction_read_only') || ' ' || current_setting('work_mem')")});
    QVERIFY2(repaired.exit_code == 0, qPrintable(repaired.output));
    QCOMPARE(repaired.output.trimmed(), QStringLiteral("off 4MB"));
    QCOMPARE(admin_value(QStringLiteral("SELECT count(*) FROM pg_db_role_setting WHERE setrole = 'mirt'::regrole")),
             QStringLiteral("0"));
}

TARVO_GUILESS_TEST_MAIN(tst_debian_server)
#include "tst_debian_server.moc"
