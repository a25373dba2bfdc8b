#include "w_history.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "application.h"
#include "change_time.h"
#include "entry_preview.h"
#include "version_changes.h"

namespace {

enum column { when_column, who_column, what_column };

list_preview::setup history_window(int rbr)
{
    return {QStringLiteral("w_history"),
            QStringLiteral("History of FAQ entry %1").arg(rbr),
            QStringLiteral("dw_versions"),
            QStringLiteral("Earlier versions"),
            {QStringLiteral("Replaced"), QStringLiteral("By"), QStringLiteral("What the change did")},
            QStringLiteral("The entry as it was before that change:"),
            QStringLiteral("&Take into window"),
            QStringLiteral("cb_take"),
            QStringLiteral("Puts this version's texts into the entry window; Save stores them."),
            3,
            QSize(760, 560)};
}

} // namespace

w_history::w_history(application& application_object, int entry_number, QWidget* parent)
    : list_preview(history_window(entry_number), parent), app(application_object), rbr(entry_number)
{
    dw_versions->horizontalHeader()->setStretchLastSection(true);
}

bool w_history::load()
{
    transaction& sqlca = *app.sqlca;
    history::versions_of_entry(sqlca, rbr, versions);
    if (sqlca.failed()) {
        show_failure(QString::fromUtf16(history::read_history_title), sqlca);
        return false;
    }
    history::stored_texts(sqlca, rbr, stored);
    if (sqlca.failed()) {
        show_failure(QStringLiteral("SELECT adresa, pitanje, proizvod, lot, odgovor FROM faq"), sqlca);
        return false;
    }
    fill_list();
    return true;
}

void w_history::fill_list()
{
    dw_versions->setRowCount(static_cast<int>(versions.size()));
    bool anyone_known = false;
    for (std::size_t i = 0; i < versions.size(); ++i) {
        const history::version& version = versions[i];
        // The state the change left: the next newer version, or the entry as stored now.
        const std::optional<statements::entry_texts> after = i == 0 ? stored : std::optional(versions[i - 1].texts);
        const int row = static_cast<int>(i);
        dw_versions->setItem(row, when_column, cell(change_time::local_text(version.changed_at)));
        dw_versions->setItem(row, who_column, cell(version.changed_by));
        dw_versions->setItem(row, what_column, cell(version_changes::describe(version, after)));
        anyone_known = anyone_known || !version.changed_by.isEmpty();
    }
    // Where the database cannot tell who made a change, the column would stay empty.
    dw_versions->setColumnHidden(who_column, !anyone_known);
    dw_versions->resizeColumnToContents(when_column);
    dw_versions->resizeColumnToContents(who_column);

    if (versions.empty()) {
        show_empty(QStringLiteral("No earlier versions of entry %1 are kept: it has not been changed since the "
                                  "database began to keep them.")
                       .arg(rbr));
        return;
    }
    st_info->setText(QStringLiteral("Earlier versions of entry %1, the latest first. Choose one to see it; \"Take into "
                                    "window\" puts it into the entry window, where Save stores it.")
                         .arg(rbr));
    dw_versions->selectRow(0);
    dw_versions->setFocus();
}

const history::version* w_history::chosen() const
{
    const std::optional<std::size_t> row = chosen_row(versions.size());
    return row ? &versions[*row] : nullptr;
}

void w_history::show_chosen()
{
    const history::version* version = chosen();
    cb_take->setEnabled(version != nullptr);
    if (version != nullptr)
        mle_preview->show_entry(version->texts);
    else
        mle_preview->show_note(QStringLiteral("Choose a version to see it."));
}

void w_history::act()
{
    const history::version* version = chosen();
    if (version == nullptr)
        return;
    taken_texts = version->texts;
    accept();
}
