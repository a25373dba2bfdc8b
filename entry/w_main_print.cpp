#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

#include "application.h"
#include "entry_page.h"
#include "faq_rows.h"
#include "platform.h"
#include "w_main.h"

namespace {

// The date the entry was stored under; today's for a new entry (the date a save gives it).
// Empty when the database cannot say.
QString entry_date(transaction& sqlca, bool stored, std::int16_t rbr)
{
    if (!stored)
        return platform::today_text();
    std::vector<faq_rows::entry> rows;
    sqlca.run_read([&](odbc_connection& connection) {
        if (const auto error = faq_rows::read_entries(connection, {rbr}, rows))
            sqlca.report_failure(*error);
        else
            sqlca.report_success(rows.empty() ? transaction::not_found : transaction::success);
    });
    return rows.empty() ? QString() : rows.front().datum;
}

} // namespace

entry_page::entry w_main::printed_entry() const
{
    const statements::entry_texts texts = shown_texts();
    return {sle_rbr->text(), entry_date(*app.sqlca, holds_stored_entry, platform::to_integer(sle_rbr->text())),
            texts.pitanje,   texts.proizvod,
            texts.lot,       texts.adresa,
            texts.odgovor};
}

void w_main::cb_print_clicked()
{
    const entry_page::entry shown = printed_entry();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("FAQ entry %1").arg(shown.rbr));
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("dlg_print"));
    dialog.setWindowTitle(QStringLiteral("Print FAQ entry %1").arg(shown.rbr));
    if (dialog.exec() != QDialog::Accepted)
        return;
    entry_page::print(shown, printer);
    if (printer.printerState() == QPrinter::Error)
        platform::message_box(QStringLiteral("Print"), QStringLiteral("The entry could not be printed."));
}
