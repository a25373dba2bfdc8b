// Where a search's criteria mark an entry: the matcher follows the search's own rule, and each
// criterion marks only the fields it searched.

#include <QTest>

#include "bracketed_marks.h"
#include "search_marks.h"

using test_support::bracket;
using test_support::unbracket;

class tst_search_marks : public QObject {
    Q_OBJECT
private slots:
    void marks_follow_the_search_rule_data();
    void marks_follow_the_search_rule();
    void criteria_mark_their_fields_data();
    void criteria_mark_their_fields();
};

void tst_search_marks::marks_follow_the_search_rule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("marked");
    QTest::newRow("case ignored, several places") << "pump"
                                                  << "The [pump] and the [PUMP], [Pump]ed";
    QTest::newRow("Croatian letters fold") << "ŠUM"
                                           << "[šum] u [Šum]u, not sum";
    QTest::newRow("no match") << "valve"
                              << "The pump hums";
    QTest::newRow("percent: shortest run") << "pu%p"
                                           << "[pump] [pu and p]";
    QTest::newRow("percent across the text") << "noise%pump"
                                             << "[noise, then pump] and pump";
    QTest::newRow("underscore: one letter") << "p_mp"
                                            << "[pump] [pomp] pmp [PAMP]";
    QTest::newRow("underscore: one letter beyond 16 bits") << "a_b"
                                                           << "[a😀b] a😀😀b";
    QTest::newRow("outer percents add nothing") << "%hum%"
                                                << "the pump [hum]s";
    QTest::newRow("percent alone marks nothing") << "%"
                                                 << "anything";
    QTest::newRow("backslash stands for itself") << "C:\\p"
                                                 << "[C:\\p]ump C:p";
    QTest::newRow("apostrophe as typed") << "don't"
                                         << "I [don't] know";
    QTest::newRow("blank is searched for") << "a b"
                                           << "[a b] ab";
    QTest::newRow("overlapping matches don't overlap") << "aa"
                                                       << "[aa][aa]a";
    QTest::newRow("later part missing") << "x%z"
                                        << "x y x y";
}

void tst_search_marks::marks_follow_the_search_rule()
{
    QFETCH(QString, typed);
    QFETCH(QString, marked);
    const auto expected = unbracket(marked);
    QCOMPARE(bracket(expected.text, marks::like_ranges(expected.text, typed)), marked);
}

void tst_search_marks::criteria_mark_their_fields_data()
{
    QTest::addColumn<QString>("field1");
    QTest::addColumn<QString>("field2");
    QTest::addColumn<QString>("connector");
    QTest::addColumn<QString>("text1");
    // What the entry's question, answer and keywords show marked; the entry reads
    // "pump noise" in each of them.
    QTest::addColumn<QString>("pitanje");
    QTest::addColumn<QString>("odgovor");
    QTest::addColumn<QString>("adresa");
    QTest::newRow("one field") << "Question"
                               << "LOT"
                               << "AND"
                               << "pump"
                               << "[pump] noise"
                               << "pump noise"
                               << "pump noise";
    QTest::newRow("All: five fields") << "All"
                                      << "LOT"
                                      << "AND"
                                      << "pump"
                                      << "[pump] noise"
                                      << "[pump] noise"
                                      << "[pump] noise";
    QTest::newRow("Keyword is the keywords") << "Keyword"
                                             << "Product"
                                             << "AND"
                                             << "pump"
                                             << "pump noise"
                                             << "pump noise"
                                             << "[pump] noise";
    QTest::newRow("AND: both marked") << "Question"
                                      << "Answer"
                                      << "AND"
                                      << "pump"
                                      << "[pump] noise"
                                      << "pump [noise]"
                                      << "pump noise";
    QTest::newRow("OR: both marked") << "Question"
                                     << "Answer"
                                     << "OR"
                                     << "pump"
                                     << "[pump] noise"
                                     << "pump [noise]"
                                     << "pump noise";
    QTest::newRow("NOT: the second unmarked") << "Question"
                                              << "Answer"
                                              << "NOT"
                                              << "pump"
                                              << "[pump] noise"
                                              << "pump noise"
                                              << "pump noise";
    QTest::newRow("NOT with the second alone: marked") << "Question"
                                                       << "Answer"
                                                       << "NOT"
                                                       << ""
                                                       << "pump noise"
                                                       << "pump [noise]"
                                                       << "pump noise";
}

void tst_search_marks::criteria_mark_their_fields()
{
    QFETCH(QString, field1);
    QFETCH(QString, field2);
    QFETCH(QString, connector);
    QFETCH(QString, text1);
    QFETCH(QString, pitanje);
    QFETCH(QString, odgovor);
    QFETCH(QString, adresa);
    const marks::rule rule = search::marks_for({text1, field1, QStringLiteral("noise"), field2, connector});
    const QString text = QStringLiteral("pump noise");
    QCOMPARE(bracket(text, rule.in(QStringLiteral("pitanje"), text)), pitanje);
    QCOMPARE(bracket(text, rule.in(QStringLiteral("odgovor"), text)), odgovor);
    QCOMPARE(bracket(text, rule.in(QStringLiteral("adresa"), text)), adresa);
}

QTEST_APPLESS_MAIN(tst_search_marks)
#include "tst_search_marks.moc"
