#include "faq_fixture.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace test_support {
namespace {

const QString admin_connection = QStringLiteral("test_support_admin");

QString read_text(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

} // namespace

backend current_backend()
{
    return qgetenv("TARVO_TEST_BACKEND") == "postgresql" ? backend::postgresql : backend::sqlite;
}

QString backend_name(backend which)
{
    return which == backend::postgresql ? QStringLiteral("postgresql") : QStringLiteral("sqlite");
}

statements::entry_texts sample_entry(const QString& tag)
{
    return {tag + QStringLiteral(" keywords"), tag + QStringLiteral(" question"), tag + QStringLiteral(" product"),
            tag + QStringLiteral(" lot"), tag + QStringLiteral(" answer")};
}

QString source_dir()
{
    const QByteArray dir = qgetenv("TARVO_SOURCE_DIR");
    return dir.isEmpty() ? QStringLiteral(TARVO_SOURCE_DIR_DEFAULT) : QString::fromLocal8Bit(dir);
}

faq_fixture::faq_fixture(backend which) : kind(which)
{
    odbc = std::make_unique<private_odbc>();
    if (kind == backend::sqlite) {
        sqlite_file = odbc->folder() + QStringLiteral("/faq.db");
        odbc->write(QStringLiteral("FAQ"), QStringLiteral("SQLite3"),
                    {QStringLiteral("Database=") + sqlite_file, QStringLiteral("Timeout=2000")});
    } else {
        const QString dir = QString::fromLocal8Bit(qgetenv("TARVO_PG_DIR"));
        pg_port = read_text(dir + QStringLiteral("/port")).trimmed().toInt();
        if (pg_port <= 0)
            qFatal("no test PostgreSQL server: %s/port is missing (run scripts/pg start)", qPrintable(dir));
        odbc->write(QStringLiteral("FAQ"), QStringLiteral("PostgreSQL Unicode"), postgresql_settings(pg_port));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), admin_connection);
    db.setDatabaseName(QStringLiteral("FAQ"));
    db.setUserName(QStringLiteral("mirt"));
    db.setPassword(QStringLiteral("mirt"));
    if (!db.open())
        qFatal("cannot open the test database: %s", qPrintable(db.lastError().text()));
    recreate_table();
}

faq_fixture::~faq_fixture()
{
    {
        QSqlDatabase db = QSqlDatabase::database(admin_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(admin_connection);
}

QString faq_fixture::postgresql_socket_dir() const
{
    return kind == backend::postgresql ? QString::fromLocal8Bit(qgetenv("TARVO_PG_DIR")) : QString();
}

QSqlDatabase faq_fixture::admin() { return QSqlDatabase::database(admin_connection); }

void faq_fixture::exec(const QString& statement)
{
    QSqlQuery query(admin());
    if (!query.exec(statement))
        qFatal("test statement failed: %s\n%s", qPrintable(statement), qPrintable(query.lastError().text()));
}

void faq_fixture::run_script(const QString& path)
{
    // A statement ends at a line that ends with ";", except inside a trigger's body (from a line
    // "BEGIN" to a line "END;") or a dollar-quoted function body.
    QString statement;
    bool in_body = false;
    bool in_dollar_quote = false;
    for (const QString& line : read_text(path).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (statement.isEmpty() && (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--"))))
            continue;
        statement += line + QLatin1Char('\n');
        if (line.count(QLatin1String("$$")) % 2 == 1)
            in_dollar_quote = !in_dollar_quote;
        if (in_dollar_quote)
            continue;
        if (trimmed.compare(QLatin1String("BEGIN"), Qt::CaseInsensitive) == 0)
            in_body = true;
        else if (trimmed.compare(QLatin1String("END;"), Qt::CaseInsensitive) == 0)
            in_body = false;
        if (!in_body && trimmed.endsWith(QLatin1Char(';'))) {
            statement = statement.trimmed();
            statement.chop(1);
            exec(statement);
            statement.clear();
        }
    }
}

void faq_fixture::recreate_table()
{
    exec(QStringLiteral("DROP TABLE IF EXISTS faq_restored"));
    exec(QStringLiteral("DROP TABLE IF EXISTS faq_history"));
    exec(QStringLiteral("DROP TABLE IF EXISTS faq"));
    const QString suffix = kind == backend::sqlite ? QStringLiteral(".sqlite.sql") : QStringLiteral(".postgresql.sql");
    run_script(source_dir() + QStringLiteral("/db/faq") + suffix);
    run_script(source_dir() + QStringLiteral("/db/faq-history") + suffix);
    if (kind == backend::postgresql)
        run_script(source_dir() + QStringLiteral("/db/faq-search-index.postgresql.sql"));
    run_script(source_dir() + QStringLiteral("/db/faq-words") + suffix);
}

void faq_fixture::allow_null_texts()
{
    if (kind != backend::postgresql)
        return;
    for (const char* column : {"adresa", "pitanje", "proizvod", "lot", "odgovor"})
        exec(QStringLiteral("ALTER TABLE faq ALTER COLUMN %1 DROP NOT NULL, ALTER COLUMN %1 DROP DEFAULT")
                 .arg(QLatin1String(column)));
}

void faq_fixture::clear()
{
    exec(QStringLiteral("DELETE FROM faq"));
    exec(QStringLiteral("DELETE FROM faq_restored"));
    exec(QStringLiteral("DELETE FROM faq_history"));
}

void faq_fixture::insert(int rbr, const QString& adresa, const QString& pitanje, const QString& datum,
                         const QString& proizvod, const QString& lot, const QString& odgovor)
{
    QSqlQuery query(admin());
    query.prepare(QStringLiteral(
        "INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(rbr);
    for (const QString* text : {&adresa, &pitanje, &datum, &proizvod, &lot, &odgovor})
        query.addBindValue(*text);
    if (!query.exec())
        qFatal("test insert failed: %s", qPrintable(query.lastError().text()));
}

void faq_fixture::insert(int rbr, const statements::entry_texts& entry, const QString& datum)
{
    insert(rbr, entry.adresa, entry.pitanje, datum, entry.proizvod, entry.lot, entry.odgovor);
}

void faq_fixture::insert_question(int rbr, const QString& pitanje, const QString& proizvod)
{
    insert(rbr, QStringLiteral("keys"), pitanje, QStringLiteral("01/02/2020"), proizvod, QStringLiteral("LOT-1"),
           QStringLiteral("answer"));
}

void faq_fixture::insert_every_number()
{
    exec(QStringLiteral("INSERT INTO faq (rbr) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 32767) SELECT i FROM n"));
}

void faq_fixture::generate_word_entries(int rows)
{
    // Ten characters a word, padded with blanks.
    const QString vocabulary = QStringLiteral("pump      pumpe     šum       sum       noise     čišćenje  "
                                              "ciscenje  Ležaj     lezaj     drift     Valve     gasket    "
                                              "pumping   Šuma      noisy     filter    ");
    const auto word = [&](const char* choice) {
        return QStringLiteral("trim(substr('%1', (%2) % 16 * 10 + 1, 10))").arg(vocabulary, QLatin1String(choice));
    };
    const QString sentence = word("i * 7 + i / 16") + " || ' ' || " + word("i * 5 + i / 3 + 2") + " || ' ' || "
                             + word("i * 3 + i / 5 + 9") + " || '.'";
    exec(QStringLiteral("INSERT INTO faq (rbr, adresa, pitanje, datum, proizvod, lot, odgovor) "
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                        "SELECT i, %2 || ', ' || %3, %4 || ' ' || %5 || '?', '01/02/2020', %6 || ' X-1', "
                        "'LT-' || %7, %8 || ' ' || %9 || ' ' || %10 FROM n")
             .arg(rows)
             .arg(word("i * 11 + i / 7"), word("i * 13 + 4"), word("i / 2 + 1"), word("i * 9 + i / 11 + 5"),
                  word("i / 13 + 3"), word("i + 6"), sentence, word("i * 15 + i / 9 + 8"), sentence));
}

void faq_fixture::load_sample_entries() { run_script(source_dir() + QStringLiteral("/db/sample-entries.sql")); }

std::vector<faq_fixture::row> faq_fixture::rows()
{
    std::vector<row> result;
    QSqlQuery query(admin());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT rbr, adresa, pitanje, datum, proizvod, lot, odgovor FROM faq ORDER BY rbr")))
        qFatal("test read failed: %s", qPrintable(query.lastError().text()));
    while (query.next())
        result.push_back(row{query.value(0).toInt(), query.value(1).toString(), query.value(2).toString(),
                             query.value(3).toString(), query.value(4).toString(), query.value(5).toString(),
                             query.value(6).toString()});
    return result;
}

std::optional<faq_fixture::row> faq_fixture::find(int rbr)
{
    for (row& found : rows())
        if (found.rbr == rbr)
            return found;
    return std::nullopt;
}

int faq_fixture::count() { return static_cast<int>(rows().size()); }

} // namespace test_support
