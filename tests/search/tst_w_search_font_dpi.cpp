// A screen whose font dpi is 192 while Qt does not scale the device pixels (a forced font dpi):
// fonts in points are twice as large in pixels, and the windows must grow with them so that
// no text is cut off.

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <memory>

#include "platform.h"
#include "w_da_ne.h"
#include "window_driver.h"

namespace {

// Every visible button, text box (single- or multi-line) and drop-down list of a window is high enough for a line of
// its font, and every button wide enough for its caption.
void verify_texts_fit(QWidget* window)
{
    int checked = 0;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const bool button = qobject_cast<QAbstractButton*>(control) != nullptr;
        const bool text_box =
            qobject_cast<QLineEdit*>(control) != nullptr || qobject_cast<QComboBox*>(control) != nullptr
            || qobject_cast<QTextEdit*>(control) != nullptr || qobject_cast<QPlainTextEdit*>(control) != nullptr;
        if ((!button && !text_box) || control->objectName().isEmpty() || !control->isVisibleTo(window))
            continue;
        const QFontMetrics metrics = control->fontMetrics();
        const QString name = window->objectName() + QLatin1Char('.') + control->objectName();
        QVERIFY2(metrics.height() < control->height(), qPrintable(QStringLiteral("%1: %2 px high for a %3 px line")
                                                                      .arg(name)
                                                                      .arg(control->height())
                                                                      .arg(metrics.height())));
        if (auto* with_caption = qobject_cast<QAbstractButton*>(control)) {
            const int caption = metrics.horizontalAdvance(with_caption->text());
            QVERIFY2(
                caption < control->width(),
                qPrintable(
                    QStringLiteral("%1: %2 px wide for a %3 px caption").arg(name).arg(control->width()).arg(caption)));
        }
        ++checked;
    }
    QVERIFY2(checked >= 3, qPrintable(window->objectName()));
}

} // namespace

class tst_w_search_font_dpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void layout_grows_with_the_font_dpi();
    void search_window_texts_fit();
    void entry_and_yes_no_windows_texts_fit();

private:
    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<test_support::client> user;
    tarvo* app = nullptr;
};

void tst_w_search_font_dpi::initTestCase()
{
    // The situation under test, or the test proves nothing.
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchY(), 192.0);
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);
    QVERIFY(QFontMetrics(platform::font(QStringLiteral("Arial"), 10)).height() >= 28);
    fixture = std::make_unique<test_support::faq_fixture>();
    fixture->recreate_table();
    fixture->load_sample_entries();
    user = std::make_unique<test_support::client>();
    app = &user->app;
}

void tst_w_search_font_dpi::cleanup()
{
    if (app->w_main)
        app->w_main->close();
}

void tst_w_search_font_dpi::layout_grows_with_the_font_dpi()
{
    // Twice the pixels of 96 dpi (817 x 533), the same layout units.
    QCOMPARE(app->w_search->size(), QSize(2 * 817, 2 * 533));
    QCOMPARE(platform::width_in_units(app->w_search), 3735);
    QCOMPARE(platform::height_in_units(app->w_search), 2132);
    for (int units : {3735, 3378, 411, 59})
        QCOMPARE(platform::px_to_units_x(platform::units_to_px_x(units)), units);
    for (int units : {2132, 1256, 108, 96})
        QCOMPARE(platform::px_to_units_y(platform::units_to_px_y(units)), units);
}

void tst_w_search_font_dpi::search_window_texts_fit()
{
    w_search* w = app->w_search;
    verify_texts_fit(w);
    QVERIFY(w->gb_1->fontMetrics().horizontalAdvance(w->gb_1->title()) < w->gb_1->width());

    // The list's header and rows hold a line of their font.
    w->cb_search_clicked();
    QVERIFY(w->pretraga->rowCount() > 0);
    const int line = w->dw_search->fontMetrics().height();
    QVERIFY2(w->dw_search->rowHeight(0) >= line, qPrintable(QString::number(w->dw_search->rowHeight(0))));
    QVERIFY(w->dw_search->horizontalHeader()->height() >= w->dw_search->horizontalHeader()->fontMetrics().height());

    // The status line still fits between the frame and the bottom edge.
    QCOMPARE(w->st_status->currentMessage(), QStringLiteral("%1 entries").arg(w->pretraga->rowCount()));
    QVERIFY(w->st_status->height() >= w->st_status->fontMetrics().height());
    QVERIFY(w->st_status->y() > w->gb_1->geometry().bottom());
    QCOMPARE(w->st_status->geometry().bottom(), w->height() - 1);
}

void tst_w_search_font_dpi::entry_and_yes_no_windows_texts_fit()
{
    app->w_search->cb_new_clicked();
    QVERIFY(app->w_main);
    QVERIFY(QTest::qWaitForWindowExposed(app->w_main));
    verify_texts_fit(app->w_main);

    app->message->StringParm = QStringLiteral("Would you like to delete FAQ entry?");
    const test_support::modal_windows_expected shown_here;
    w_da_ne dialog(*app, app->w_search);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    verify_texts_fit(&dialog);
    dialog.close();
}

int main(int argc, char* argv[])
{
    // Set before the application reads the screen.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_FONT_DPI", "192");
    QApplication application(argc, argv);
    test_support::guard_against_unexpected_dialogs();
    tst_w_search_font_dpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_w_search_font_dpi.moc"
