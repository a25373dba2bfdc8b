// Services the windows rely on: numbers without wrap-around, dates, layout units, centring.

#include <QTest>

#include "centring.h"
#include "platform.h"
#include "unexpected_dialogs.h"

class tst_platform : public QObject {
    Q_OBJECT
private slots:
    void text_to_integer_data();
    void text_to_integer();
    void dates_are_month_day_year();
    void layout_units_round_trip();
    void message_box_handler_is_restored();
    void centres_in_layout_units();
    void centring_reads_the_screen_in_pixels();
};

void tst_platform::text_to_integer_data()
{
    // clang-format off
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("blanks around") << " 17 " << 17;
    QTest::newRow("negative") << "-5" << -5;
    QTest::newRow("largest") << "32767" << 32767;
    QTest::newRow("smallest") << "-32768" << -32768;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("no number") << "abc" << 0;
    QTest::newRow("number and text") << "12abc" << 0;
    QTest::newRow("too large, no wrap") << "32768" << 0;
    QTest::newRow("far too large") << "99999999999" << 0;
    QTest::newRow("too small") << "-32769" << 0;
    QTest::newRow("fraction") << "1.5" << 0;
    // clang-format on
}

void tst_platform::text_to_integer()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(int(platform::to_integer(text)), number);
}

void tst_platform::dates_are_month_day_year()
{
    QCOMPARE(platform::date_text(QDate(2000, 9, 8)), QStringLiteral("09/08/2000"));
    QCOMPARE(platform::date_text(QDate(2026, 12, 31)), QStringLiteral("12/31/2026"));
    QCOMPARE(platform::today_text(), platform::date_text(QDate::currentDate()));
}

void tst_platform::layout_units_round_trip()
{
    // 3735 x 2132 units is the search window: 817 x 533 px at 96 dpi.
    QCOMPARE(platform::units_to_px_x(3735), 817);
    QCOMPARE(platform::units_to_px_y(2132), 533);
    for (int units : {3735, 3721, 1362, 411, 3378, 1143})
        QCOMPARE(platform::px_to_units_x(platform::units_to_px_x(units)), units);
    for (int units : {2132, 556, 108, 96})
        QCOMPARE(platform::px_to_units_y(platform::units_to_px_y(units)), units);
}

void tst_platform::message_box_handler_is_restored()
{
    QStringList seen;
    auto previous = platform::set_message_box_handler(
        [&](const QString& title, const QString& text, const QString&) { seen << title << text; });
    platform::message_box(QStringLiteral("Error"), QStringLiteral("Database error. NewID failed."));
    platform::set_message_box_handler(std::move(previous));
    QCOMPARE(seen, (QStringList{QStringLiteral("Error"), QStringLiteral("Database error. NewID failed.")}));
}

void tst_platform::centres_in_layout_units()
{
    // The search window, 3735 x 2132, on a screen of 8000 x 6000 units: 2132.5 is cut to 2132.
    platform::window_position at = platform::centred_in_units(8000, 6000, 3735, 2132);
    QCOMPARE(at.x, 2132);
    QCOMPARE(at.y, 1934);
    // Wider than the screen: -367.5 is cut toward zero, not down.
    at = platform::centred_in_units(3000, 6000, 3735, 2132);
    QCOMPARE(at.x, -367);
    QCOMPARE(platform::centred_in_units(3000, 2000, 3001, 2001).y, 0); // -0.5 -> 0
    // Outside 16 bits the position stops at the limit instead of wrapping to the other side.
    QCOMPARE(platform::centred_in_units(100000, 0, 0, 100000).x, 32767);
    QCOMPARE(platform::centred_in_units(100000, 0, 0, 100000).y, -32768);
}

void tst_platform::centring_reads_the_screen_in_pixels()
{
    // 1750 x 1500 px are 8000 x 6000 units.
    const platform::environment screen{1750, 1500};
    const std::optional<platform::window_position> at = platform::centred_position(1, screen, 3735, 2132);
    QVERIFY(at.has_value());
    QCOMPARE(at->x, 2132);
    QCOMPARE(at->y, 1934);
    // A failed screen read gives no position: the window stays where it is.
    QVERIFY(!platform::centred_position(-1, screen, 3735, 2132).has_value());
    QVERIFY(!platform::centred_position(0, screen, 3735, 2132).has_value());
}

TARVO_GUILESS_TEST_MAIN(tst_platform)
#include "tst_platform.moc"
