#include <QFileDialog>
#include <QSaveFile>

#include "application.h"
#include "dw_pretraga.h"
#include "faq_rows.h"
#include "platform.h"
#include "w_search.h"

void w_search::export_listed()
{
    std::vector<int> numbers;
    for (int row = 1; row <= pretraga->rowCount(); ++row)
        if (const std::optional<int> rbr = pretraga->item_number(row))
            numbers.push_back(*rbr);
    if (numbers.empty()) {
        platform::message_box(QStringLiteral("Export listed entries"), QStringLiteral("The list shows no entries."));
        return;
    }

    QFileDialog dialog(this, QStringLiteral("Export listed entries"));
    dialog.setObjectName(QStringLiteral("dlg_export"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("CSV files (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("faq-entries.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().front();

    // The entries as stored now, read in the list's order; one removed meanwhile is left out.
    std::vector<faq_rows::entry> rows;
    transaction& sqlca = *app.sqlca;
    sqlca.run_read([&](odbc_connection& connection) {
        if (const auto error = faq_rows::read_entries(connection, numbers, rows))
            sqlca.report_failure(*error);
        else
            sqlca.report_success();
    });
    if (sqlca.failed()) {
        platform::message_box(QStringLiteral("Export listed entries"),
                              QStringLiteral("The entries could not be read: ") + sqlca.SQLErrText);
        return;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(faq_rows::csv_of(rows)) < 0 || !out.commit()) {
        platform::message_box(QStringLiteral("Export listed entries"),
                              QStringLiteral("%1 could not be written: %2").arg(file, out.errorString()));
        return;
    }
}
