// An entry on paper: the entry window's Print… (Ctrl+P) opens the print dialog, and the page
// shows what the window shows (texts not yet saved included) with the entry's number and stored
// date; printed to a PDF file and read back with pdftotext, a long answer runs over several
// numbered pages, Croatian letters come out as the characters they are, and emoji in a font that
// has them.

#include <QGroupBox>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>

#include "entry_page.h"
#include "modal_driver.h"
#include "run_program.h"
#include "window_driver.h"

using test_support::client;

namespace {

// The text of a PDF file, page by page (pdftotext ends each page with a form feed).
QStringList pdf_pages(const QString& pdf)
{
    const test_support::run_result read = test_support::run(
        QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (read.exit_code != 0)
        qFatal("pdftotext failed: %s", qPrintable(read.output));
    QStringList pages = read.output.split(u'\f');
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace

class tst_entry_print : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { fixture = std::make_unique<test_support::faq_fixture>(); }
    void init();
    void cleanup() { user.reset(); }

    void page_shows_the_window_entry_and_flows_over_pages();
    void ctrl_p_opens_the_print_dialog_beside_history();

private:
    std::unique_ptr<test_support::faq_fixture> fixture;
    std::unique_ptr<client> user;
    QTemporaryDir folder;
};

void tst_entry_print::init()
{
    fixture->recreate_table();
    fixture->insert(42, "pumpa, crpka", "Zašto pumpa staje? 😀", "05/06/2022", "Čistač ĆŽŠĐ", "LT-7", "stored answer");
    user = std::make_unique<client>(client::without_search_window);
}

void tst_entry_print::page_shows_the_window_entry_and_flows_over_pages()
{
    w_main* window = user->open_entry(QStringLiteral("42"));
    QVERIFY(window != nullptr);
    // An answer typed but not saved prints as shown: 300 numbered steps, several pages long.
    QStringList steps;
    for (int step = 1; step <= 300; ++step)
        steps << QStringLiteral("Korak %1: očisti filtar đ").arg(step);
    window->mle_odgovor->setPlainText(steps.join(QStringLiteral("\r\n")));

    const entry_page::entry shown = window->printed_entry();
    QCOMPARE(shown.rbr, QStringLiteral("42"));
    QCOMPARE(shown.datum, QStringLiteral("05/06/2022"));

    const QString pdf = folder.filePath(QStringLiteral("entry.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    entry_page::print(shown, printer);
    QCOMPARE(printer.printerState(), QPrinter::Idle);

    const QStringList pages = pdf_pages(pdf);
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    const QString first = pages.front();
    for (const QString& expected :
         {QStringLiteral("FAQ entry 42"), QStringLiteral("Date: 05/06/2022"), QStringLiteral("Question"),
          QStringLiteral("Zašto pumpa staje?"), QStringLiteral("Product"), QStringLiteral("Čistač ĆŽŠĐ"),
          QStringLiteral("LOT"), QStringLiteral("LT-7"), QStringLiteral("Keywords"), QStringLiteral("pumpa, crpka"),
          QStringLiteral("Answer"), QStringLiteral("Korak 1: očisti filtar đ")})
        QVERIFY2(first.contains(expected), qPrintable(expected + QStringLiteral(" not on:\n") + first));
    QVERIFY(!first.contains(QStringLiteral("stored answer")));
    // The emoji is drawn from Symbola, embedded in the file. (Qt's PDF writer maps characters
    // beyond U+FFFF to no text, so pdftotext cannot read the emoji itself back.)
    const test_support::run_result fonts = test_support::run(QStringLiteral("pdffonts"), {pdf});
    QVERIFY2(fonts.exit_code == 0 && fonts.output.contains(QStringLiteral("Symbola")), qPrintable(fonts.output));
    // Every step once, in order, the last on the last page; each page numbered at its foot.
    const QString all = pages.join(QString());
    qsizetype at = 0;
    for (int step = 1; step <= 300; ++step) {
        at = all.indexOf(QStringLiteral("Korak %1: očisti filtar đ\n").arg(step), at);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("step %1 missing").arg(step)));
    }
    QVERIFY(pages.back().contains(QStringLiteral("Korak 300:")));
    for (qsizetype page = 0; page < pages.size(); ++page)
        QVERIFY2(pages[page].trimmed().endsWith(QString::number(page + 1)), qPrintable(pages[page].right(80)));
}

void tst_entry_print::ctrl_p_opens_the_print_dialog_beside_history()
{
    w_main* window = user->open_entry(QStringLiteral("42"));
    QVERIFY(window != nullptr);
    // In the row of History…, inside the form's frame, over no other control.
    QCOMPARE(window->cb_print->y(), window->cb_history->y());
    QVERIFY(window->gb_ram->geometry().contains(window->cb_print->geometry()));
    for (QWidget* other : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (other != window->cb_print && other != window->gb_ram && other->isVisible())
            QVERIFY2(!other->geometry().intersects(window->cb_print->geometry()), qPrintable(other->objectName()));
    QVERIFY(window->cb_print->isEnabled());
    QVERIFY(!window->cb_print->accessibleName().isEmpty());

    QString title;
    test_support::modal_driver print(QStringLiteral("dlg_print"), [&](QDialog* dialog) {
        title = dialog->windowTitle();
        dialog->reject();
    });
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    test_support::focus(window->mle_odgovor);
    test_support::press(Qt::Key_P, Qt::ControlModifier);
    QTRY_COMPARE(print.opened, 1);
    QCOMPARE(title, QStringLiteral("Print FAQ entry 42"));
}

TARVO_TEST_MAIN(tst_entry_print)
#include "tst_entry_print.moc"
