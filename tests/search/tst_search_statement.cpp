// The search statement, character for character.

#include <QTest>

#include "search_statement.h"

namespace {

const QString select_all = QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq");
const QString select_where = select_all + QStringLiteral(" WHERE ");

QString all_chain(const QString& t)
{
    return QStringLiteral("pitanje LIKE '%%1%' OR proizvod LIKE '%%1%' OR lot LIKE '%%1%' OR odgovor LIKE '%%1%' "
                          "OR adresa LIKE '%%1%'")
        .arg(t);
}

} // namespace

class tst_search_statement : public QObject {
    Q_OBJECT
private slots:
    void composes_exactly_data();
    void composes_exactly();
    void reads_connector_and_fields_only_when_needed();
    void every_caption_names_its_column_data();
    void every_caption_names_its_column();
};

void tst_search_statement::composes_exactly_data()
{
    // clang-format off
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("field1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QString>("field2");
    QTest::addColumn<QString>("connector");
    QTest::addColumn<QString>("statement");

    // The worked examples.
    QTest::newRow("both empty") << "" << "Question" << "" << "All" << "NOT" << select_all;
    QTest::newRow("first only") << "pump" << "Question" << "" << "All" << "OR"
                                << select_where + "pitanje LIKE '%pump%'";
    QTest::newRow("OR") << "pump" << "Question" << "A12" << "LOT" << "OR"
                        << select_where + "(pitanje LIKE '%pump%') OR (lot LIKE '%A12%')";
    QTest::newRow("NOT") << "pump" << "Question" << "A12" << "LOT" << "NOT"
                         << select_where + "(pitanje LIKE '%pump%') AND NOT (lot LIKE '%A12%')";
    QTest::newRow("second only, All, NOT ignored") << "" << "Question" << "x" << "All" << "NOT"
                                                   << select_where + all_chain("x");

    // Join rules.
    QTest::newRow("AND") << "pump" << "Product" << "A12" << "Answer" << "AND"
                         << select_where + "(proizvod LIKE '%pump%') AND (odgovor LIKE '%A12%')";
    QTest::newRow("first only, NOT ignored") << "pump" << "LOT" << "" << "Keyword" << "NOT"
                                             << select_where + "lot LIKE '%pump%'";
    QTest::newRow("All on both sides stays inside parentheses")
        << "a" << "All" << "b" << "All" << "OR"
        << select_where + "(" + all_chain("a") + ") OR (" + all_chain("b") + ")";
    QTest::newRow("fields are independent") << "a" << "Keyword" << "b" << "Question" << "AND"
                                            << select_where + "(adresa LIKE '%a%') AND (pitanje LIKE '%b%')";

    // Texts go in as typed.
    QTest::newRow("blanks are a search") << " " << "Question" << "  " << "Product" << "AND"
                                         << select_where + "(pitanje LIKE '% %') AND (proizvod LIKE '%  %')";
    QTest::newRow("case kept, no trimming") << " PuMp " << "Question" << "" << "All" << "AND"
                                            << select_where + "pitanje LIKE '% PuMp %'";
    QTest::newRow("% and _ stay wildcards") << "50%_x" << "Answer" << "" << "All" << "AND"
                                            << select_where + "odgovor LIKE '%50%_x%'";

    // Apostrophes stay inside the literal.
    QTest::newRow("apostrophe doubled") << "doesn't" << "Question" << "" << "All" << "AND"
                                        << select_where + "pitanje LIKE '%doesn''t%'";
    QTest::newRow("apostrophes only") << "''" << "LOT" << "'" << "Keyword" << "OR"
                                      << select_where + "(lot LIKE '%''''%') OR (adresa LIKE '%''%')";
    QTest::newRow("quote cannot end the literal")
        << "x' OR '1'='1" << "Question" << "" << "All" << "AND"
        << select_where + "pitanje LIKE '%x'' OR ''1''=''1%'";
    QTest::newRow("apostrophe in All") << "O'B" << "All" << "" << "All" << "AND"
                                       << select_where + all_chain("O''B");

    // A typed backslash matches itself on every database: doubled, and named as the escape.
    QTest::newRow("backslash") << "D:\\Backup" << "Answer" << "" << "All" << "AND"
                               << select_where + "odgovor LIKE '%D:\\\\Backup%' ESCAPE '\\'";
    // A character beyond U+FFFF stands as typed, never as a wildcard.
    QTest::newRow("astral character") << QString::fromUtf8("a\xF0\x9F\x94\xA7" "b") << "Question" << "" << "All" << "AND"
                                      << select_where + QString::fromUtf8("pitanje LIKE '%a\xF0\x9F\x94\xA7" "b%'");

    // "Address" means the keywords column, like "Keyword".
    QTest::newRow("Address") << "valve" << "Address" << "" << "All" << "AND"
                             << select_where + "adresa LIKE '%valve%'";
    // clang-format on
}

void tst_search_statement::composes_exactly()
{
    QFETCH(QString, text1);
    QFETCH(QString, field1);
    QFETCH(QString, text2);
    QFETCH(QString, field2);
    QFETCH(QString, connector);
    QFETCH(QString, statement);
    QCOMPARE(search::compose(search::criteria{text1, field1, text2, field2, connector}), statement);
}

void tst_search_statement::reads_connector_and_fields_only_when_needed()
{
    struct case_ {
        QString text1, text2;
        QStringList expected_reads;
    };
    const case_ cases[] = {
        {"", "", {"text1", "text2"}},
        {"a", "", {"text1", "field1", "text2"}},
        {"", "b", {"text1", "text2", "field2"}},
        {"a", "b", {"text1", "field1", "text2", "field2", "connector"}},
    };
    for (const case_& c : cases) {
        QStringList reads;
        auto reader = [&reads](const char* name, QString value) {
            return [&reads, name, value] {
                reads << QString::fromLatin1(name);
                return value;
            };
        };
        search::compose(search::criteria_reader{reader("text1", c.text1), reader("field1", "Question"),
                                                reader("text2", c.text2), reader("field2", "LOT"),
                                                reader("connector", "NOT")});
        QCOMPARE(reads, c.expected_reads);
    }
}

void tst_search_statement::every_caption_names_its_column_data()
{
    // clang-format off
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("column");
    QTest::newRow("Question") << "Question" << "pitanje";
    QTest::newRow("LOT") << "LOT" << "lot";
    QTest::newRow("Product") << "Product" << "proizvod";
    QTest::newRow("Answer") << "Answer" << "odgovor";
    QTest::newRow("Keyword") << "Keyword" << "adresa";
    QTest::newRow("Address") << "Address" << "adresa";
    // clang-format on
}

void tst_search_statement::every_caption_names_its_column()
{
    QFETCH(QString, caption);
    QFETCH(QString, column);
    QCOMPARE(search::criterion_condition(QStringLiteral("t"), caption), column + QStringLiteral(" LIKE '%t%'"));
}

QTEST_APPLESS_MAIN(tst_search_statement)
#include "tst_search_statement.moc"
