#include "w_deleted.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "application.h"
#include "change_time.h"
#include "entry_number.h"
#include "entry_preview.h"
#include "platform.h"

namespace {

enum column { number_column, product_column, question_column, deleted_column, who_column };

QTableWidgetItem* cell(const QString& text, const QString& tip = QString())
{
    auto* item = new QTableWidgetItem(text);
    item->setToolTip(tip.isEmpty() ? text : tip);
    return item;
}

// A restored entry whose number is taken gets the number a new entry would get.
std::optional<std::int16_t> next_free_number(std::optional<int> largest)
{
    const entry_number::next_number next = entry_number::after(largest);
    if (next.exhausted)
        return std::nullopt;
    return next.number.value_or(static_cast<std::int16_t>(entry_number::first));
}

} // namespace

w_deleted::w_deleted(application& application_object, QWidget* parent) : QDialog(parent), app(application_object)
{
    setObjectName(QStringLiteral("w_deleted"));
    setWindowTitle(QStringLiteral("Deleted FAQ entries"));
    setModal(true);

    st_info = new QLabel(this);
    st_info->setObjectName(QStringLiteral("st_info"));
    st_info->setWordWrap(true);

    dw_deleted = new QTableWidget(0, 5, this);
    dw_deleted->setObjectName(QStringLiteral("dw_deleted"));
    dw_deleted->setAccessibleName(QStringLiteral("Deleted entries"));
    dw_deleted->setHorizontalHeaderLabels({QStringLiteral("Number"), QStringLiteral("Product"),
                                           QStringLiteral("Question"), QStringLiteral("Deleted"),
                                           QStringLiteral("By")});
    dw_deleted->setSelectionBehavior(QAbstractItemView::SelectRows);
    dw_deleted->setSelectionMode(QAbstractItemView::SingleSelection);
    dw_deleted->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dw_deleted->setTabKeyNavigation(false);
    dw_deleted->verticalHeader()->hide();
    dw_deleted->setWordWrap(false);

    auto* preview_caption = new QLabel(QStringLiteral("The entry as it was when it was deleted:"), this);
    mle_preview = new entry_preview(this);
    mle_preview->setObjectName(QStringLiteral("mle_preview"));
    preview_caption->setBuddy(mle_preview);

    cb_restore = new QPushButton(QStringLiteral("&Restore"), this);
    cb_restore->setObjectName(QStringLiteral("cb_restore"));
    cb_restore->setDefault(true);
    cb_close = new QPushButton(QStringLiteral("Close"), this);
    cb_close->setObjectName(QStringLiteral("cb_close"));
    cb_close->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cb_restore);
    buttons->addWidget(cb_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(st_info);
    layout->addWidget(dw_deleted, 2);
    layout->addWidget(preview_caption);
    layout->addWidget(mle_preview, 2);
    layout->addLayout(buttons);
    resize(900, 600);

    connect(dw_deleted, &QTableWidget::itemSelectionChanged, this, &w_deleted::show_chosen);
    connect(dw_deleted, &QTableWidget::cellDoubleClicked, this, [this] { cb_restore_clicked(); });
    connect(cb_restore, &QPushButton::clicked, this, &w_deleted::cb_restore_clicked);
    connect(cb_close, &QPushButton::clicked, this, &QDialog::reject);
}

bool w_deleted::load()
{
    history::deleted_entries(*app.sqlca, entries);
    if (app.sqlca->failed()) {
        show_failure(QString::fromUtf16(history::read_history_title), *app.sqlca);
        return false;
    }
    fill_list();
    return true;
}

void w_deleted::fill_list()
{
    dw_deleted->clearSelection();
    dw_deleted->setRowCount(static_cast<int>(entries.size()));
    bool anyone_known = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const history::deleted_entry& entry = entries[i];
        const int row = static_cast<int>(i);
        const QString number = QString::number(entry.rbr);
        dw_deleted->setItem(
            row, number_column,
            entry.number_taken
                ? cell(number + QStringLiteral(" (taken)"),
                       QStringLiteral("Another entry carries number %1 now: this one comes back under a new number.")
                           .arg(entry.rbr))
                : cell(number));
        dw_deleted->setItem(row, product_column, cell(entry.proizvod));
        dw_deleted->setItem(row, question_column, cell(entry.pitanje));
        dw_deleted->setItem(row, deleted_column, cell(change_time::local_text(entry.deleted_at)));
        dw_deleted->setItem(row, who_column, cell(entry.deleted_by));
        anyone_known = anyone_known || !entry.deleted_by.isEmpty();
    }
    // Where the database cannot tell who deleted an entry, the column would stay empty.
    dw_deleted->setColumnHidden(who_column, !anyone_known);
    dw_deleted->resizeColumnsToContents();
    dw_deleted->setColumnWidth(product_column, std::min(dw_deleted->columnWidth(product_column), 220));
    // The question takes the room that is left; a long one ends in "…" (its tooltip shows it whole).
    dw_deleted->horizontalHeader()->setSectionResizeMode(question_column, QHeaderView::Stretch);

    if (entries.empty()) {
        st_info->setText(QStringLiteral("No deleted entries are kept."));
        mle_preview->show_note(QString());
        cb_restore->setEnabled(false);
        cb_close->setDefault(true);
        cb_close->setFocus();
        return;
    }
    st_info->setText(
        QStringLiteral("Deleted entries, the latest deletion first. \"Restore\" puts the chosen entry back "
                       "under its old number, or under a new one when another entry carries that number now."));
    cb_restore->setEnabled(true);
    cb_close->setDefault(false);
    cb_restore->setDefault(true);
    dw_deleted->selectRow(0);
    dw_deleted->setFocus();
}

const history::deleted_entry* w_deleted::chosen() const
{
    const QList<QTableWidgetSelectionRange> ranges = dw_deleted->selectedRanges();
    if (ranges.isEmpty())
        return nullptr;
    const auto row = static_cast<std::size_t>(ranges.first().topRow());
    return row < entries.size() ? &entries[row] : nullptr;
}

void w_deleted::show_chosen()
{
    const history::deleted_entry* entry = chosen();
    cb_restore->setEnabled(entry != nullptr);
    if (entry == nullptr) {
        mle_preview->show_note(QStringLiteral("Choose an entry to see it."));
        return;
    }
    std::optional<history::version> deleted;
    history::one_version(*app.sqlca, entry->version, deleted);
    if (app.sqlca->failed()) {
        mle_preview->show_note(QString());
        show_failure(QString::fromUtf16(history::read_history_title), *app.sqlca);
        return;
    }
    if (deleted)
        mle_preview->show_entry(deleted->texts);
    else
        mle_preview->show_note(QStringLiteral("This deletion is no longer in the history."));
}

void w_deleted::cb_restore_clicked()
{
    const history::deleted_entry* entry = chosen();
    if (entry == nullptr)
        return;
    const int old_rbr = entry->rbr;
    history::restore_outcome outcome;
    history::restore_deleted(*app.sqlca, entry->version, next_free_number, outcome);
    using result = history::restore_outcome::result;
    switch (outcome.what) {
    case result::restored:
        done = restored{old_rbr, outcome.rbr};
        accept();
        return;
    case result::already_restored:
        platform::message_box(
            QStringLiteral("Restore"),
            QStringLiteral("Entry %1 was restored already, as entry %2.").arg(old_rbr).arg(outcome.rbr));
        break;
    case result::not_deleted:
        platform::message_box(QStringLiteral("Restore"), QStringLiteral("This deletion is no longer in the history."));
        break;
    case result::no_number_left:
        platform::message_box(QStringLiteral("Error"),
                              QStringLiteral("Entry %1's number is taken, and no other entry number "
                                             "is left: entry numbers end at %2.")
                                  .arg(old_rbr)
                                  .arg(entry_number::last));
        return;
    case result::failed:
        show_failure(outcome.title, *app.sqlca);
        return;
    }
    // The list as the database holds it now.
    if (!load())
        reject();
}
