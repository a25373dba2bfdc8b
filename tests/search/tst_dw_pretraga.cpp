// The result list over a real database: what a retrieval puts into the list model, read
// through the ODBC driver's own calls, with texts of every length and kind, numbers that are no
// entry numbers, failures, and in a locale that is not UTF-8. Runs on SQLite and PostgreSQL.

#include <QSignalSpy>
#include <QTest>
#include <clocale>
#include <memory>

#include "dw_pretraga.h"
#include "faq_fixture.h"
#include "session.h"
#include "statements.h"
#include "transaction.h"
#include "unexpected_dialogs.h"

using test_support::faq_fixture;

namespace {

const QString all_rows = QStringLiteral(" SELECT faq.rbr, faq.proizvod, faq.pitanje FROM faq");

// Texts that cross the reader's buffers (a few hundred and a few thousand characters), with
// characters of two, three and four bytes in UTF-8 so that pieces can end inside one.
QString long_text(int length, const QString& unit)
{
    QString text;
    while (text.size() < length)
        text += unit;
    return text;
}

// Switches the character type of the C locale for one test, back when it ends.
class c_locale {
public:
    c_locale() : previous(std::setlocale(LC_CTYPE, nullptr)) { std::setlocale(LC_CTYPE, "C"); }
    ~c_locale() { std::setlocale(LC_CTYPE, previous.constData()); }

private:
    QByteArray previous;
};

} // namespace

class tst_dw_pretraga : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lists_every_row_with_its_texts();
    void long_texts_come_whole();
    void texts_are_the_same_in_a_locale_that_is_not_utf8();
    void only_32_bit_numbers_are_entry_numbers();
    void a_new_retrieval_replaces_the_rows_in_one_reset();
    void a_failed_query_leaves_the_list_empty();

private:
    void insert(int rbr, const QString& proizvod, const QString& pitanje);
    long retrieve(const QString& select);
    QString shown(int row, int column) const;

    std::unique_ptr<faq_fixture> fixture;
    std::unique_ptr<transaction> sqlca;
    std::unique_ptr<dw_pretraga> list;
};

void tst_dw_pretraga::initTestCase() { fixture = std::make_unique<faq_fixture>(); }

void tst_dw_pretraga::init()
{
    fixture->recreate_table();
    sqlca = std::make_unique<transaction>(QStringLiteral("list_model_test"));
    test_support::connect_session(*sqlca);
    QCOMPARE(sqlca->SQLCode, 0L);
    list = std::make_unique<dw_pretraga>();
    list->set_trans_object(*sqlca);
}

void tst_dw_pretraga::cleanup()
{
    list.reset();
    sqlca.reset();
}

void tst_dw_pretraga::insert(int rbr, const QString& proizvod, const QString& pitanje)
{
    fixture->insert(rbr, QStringLiteral("k"), pitanje, QStringLiteral("01/01/2020"), proizvod, QStringLiteral("l"),
                    QStringLiteral("a"));
}

long tst_dw_pretraga::retrieve(const QString& select)
{
    list->set_sql_select(select);
    return list->retrieve();
}

QString tst_dw_pretraga::shown(int row, int column) const { return list->data(list->index(row, column)).toString(); }

void tst_dw_pretraga::lists_every_row_with_its_texts()
{
    insert(1, QStringLiteral("Fotometar FM-12"), QStringLiteral("Povećan šum signala – 5 °C, 3 € 🔧"));
    insert(2, QStringLiteral(""), QStringLiteral(""));                 // empty texts
    fixture->exec(QStringLiteral("INSERT INTO faq (rbr) VALUES (3)")); // no texts at all
    insert(4, QStringLiteral("it's \"quoted\""), QStringLiteral("line one\nline two"));

    QCOMPARE(retrieve(all_rows + QStringLiteral(" ORDER BY rbr")), 4L);
    QCOMPARE(sqlca->SQLCode, 0L);
    QCOMPARE(list->rowCount(), 4);
    QCOMPARE(shown(0, dw_pretraga::proizvod_column), QStringLiteral("Fotometar FM-12"));
    QCOMPARE(shown(0, dw_pretraga::pitanje_column), QStringLiteral("Povećan šum signala – 5 °C, 3 € 🔧"));
    QCOMPARE(shown(1, dw_pretraga::proizvod_column), QString());
    QCOMPARE(shown(2, dw_pretraga::pitanje_column), QString());
    QCOMPARE(shown(3, dw_pretraga::proizvod_column), QStringLiteral("it's \"quoted\""));
    QCOMPARE(shown(3, dw_pretraga::pitanje_column), QStringLiteral("line one\nline two"));
    for (int row = 0; row < 4; ++row)
        QCOMPARE(list->item_number(row + 1), std::optional<int>(row + 1));
    QCOMPARE(list->data(list->index(0, dw_pretraga::rbr_column)).toInt(), 1);

    const std::vector<statements::list_row> copy = list->rows();
    QCOMPARE(copy.size(), std::size_t(4));
    QCOMPARE(copy[3].pitanje, QStringLiteral("line one\nline two"));
    QVERIFY(list->data(list->index(0, 1), Qt::ToolTipRole).toString().contains(QStringLiteral("Povećan šum")));
}

void tst_dw_pretraga::long_texts_come_whole()
{
    const QString proizvod = long_text(700, QStringLiteral("Product š "));
    const QString pitanje = long_text(9000, QStringLiteral("čep € 🔧 question "));
    const QString ascii = long_text(2047, QStringLiteral("x"));
    insert(1, proizvod, pitanje);
    insert(2, QStringLiteral("short"), ascii);
    insert(3, QStringLiteral("after"), QStringLiteral("the long ones"));

    QCOMPARE(retrieve(all_rows + QStringLiteral(" ORDER BY rbr")), 3L);
    QCOMPARE(shown(0, dw_pretraga::proizvod_column), proizvod);
    QCOMPARE(shown(0, dw_pretraga::pitanje_column), pitanje);
    QCOMPARE(shown(1, dw_pretraga::pitanje_column), ascii);
    // The row after the long ones is read from the bound buffers again.
    QCOMPARE(shown(2, dw_pretraga::proizvod_column), QStringLiteral("after"));
    QCOMPARE(shown(2, dw_pretraga::pitanje_column), QStringLiteral("the long ones"));
}

void tst_dw_pretraga::texts_are_the_same_in_a_locale_that_is_not_utf8()
{
    const QString pitanje = QStringLiteral("Zašto je kalij povišen? ") + long_text(3000, QStringLiteral("ž€🔧"));
    insert(1, QStringLiteral("Elektrolitski analizator EL-3"), pitanje);
    QCOMPARE(retrieve(all_rows), 1L);
    const QString in_utf8_locale = shown(0, dw_pretraga::pitanje_column);

    const c_locale plain;
    QCOMPARE(retrieve(all_rows), 1L);
    QCOMPARE(shown(0, dw_pretraga::pitanje_column), pitanje);
    QCOMPARE(in_utf8_locale, pitanje);
    QCOMPARE(shown(0, dw_pretraga::proizvod_column), QStringLiteral("Elektrolitski analizator EL-3"));
}

void tst_dw_pretraga::only_32_bit_numbers_are_entry_numbers()
{
    insert(70000, QStringLiteral("p"), QStringLiteral("q"));
    QCOMPARE(retrieve(all_rows), 1L);
    QCOMPARE(list->item_number(1), std::optional<int>(70000));

    QCOMPARE(retrieve(QStringLiteral(" SELECT NULL, faq.proizvod, faq.pitanje FROM faq")), 1L);
    QCOMPARE(list->item_number(1), std::nullopt);
    QVERIFY(list->data(list->index(0, dw_pretraga::rbr_column)).isNull());

    QCOMPARE(retrieve(QStringLiteral(" SELECT 5000000000, faq.proizvod, faq.pitanje FROM faq")), 1L);
    QCOMPARE(list->item_number(1), std::nullopt);
    QCOMPARE(shown(0, dw_pretraga::pitanje_column), QStringLiteral("q"));
}

void tst_dw_pretraga::a_new_retrieval_replaces_the_rows_in_one_reset()
{
    for (int rbr = 1; rbr <= 300; ++rbr)
        insert(rbr, QStringLiteral("Product %1").arg(rbr), QStringLiteral("Question %1 pump").arg(rbr));
    QSignalSpy resets(list.get(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(list.get(), &QAbstractItemModel::rowsInserted);

    QCOMPARE(retrieve(all_rows + QStringLiteral(" ORDER BY rbr")), 300L);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(shown(299, dw_pretraga::pitanje_column), QStringLiteral("Question 300 pump"));

    QCOMPARE(retrieve(all_rows + QStringLiteral(" WHERE rbr > 298 ORDER BY rbr")), 2L);
    QCOMPARE(resets.count(), 2);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(shown(0, dw_pretraga::proizvod_column), QStringLiteral("Product 299"));
    QCOMPARE(shown(1, dw_pretraga::pitanje_column), QStringLiteral("Question 300 pump"));
    QCOMPARE(list->item_number(3), std::nullopt);

    QCOMPARE(retrieve(all_rows + QStringLiteral(" WHERE pitanje LIKE '%nothing%'")), 0L);
    QCOMPARE(sqlca->SQLCode, transaction::not_found);
    QCOMPARE(list->rowCount(), 0);
}

void tst_dw_pretraga::a_failed_query_leaves_the_list_empty()
{
    insert(1, QStringLiteral("p"), QStringLiteral("pump"));
    QCOMPARE(retrieve(all_rows), 1L);

    QCOMPARE(retrieve(all_rows + QStringLiteral(" WHERE Address LIKE '%x%'")), -1L);
    QCOMPARE(sqlca->SQLCode, transaction::failure);
    QVERIFY2(sqlca->SQLErrText.contains(QStringLiteral("ddress"), Qt::CaseInsensitive), qPrintable(sqlca->SQLErrText));
    QCOMPARE(list->rowCount(), 0);

    // The session goes on: the failed read left no transaction behind.
    QCOMPARE(retrieve(all_rows), 1L);
    QCOMPARE(shown(0, dw_pretraga::pitanje_column), QStringLiteral("pump"));
}

TARVO_TEST_MAIN(tst_dw_pretraga)
#include "tst_dw_pretraga.moc"
