#include "w_history.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "application.h"
#include "change_time.h"
#include "entry_preview.h"
#include "version_changes.h"

namespace {

enum column { when_column, who_column, what_column };

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setToolTip(text);
    return item;
}

} // namespace

w_history::w_history(application& application_object, int entry_number, QWidget* parent)
    : QDialog(parent), app(application_object), rbr(entry_number)
{
    setObjectName(QStringLiteral("w_history"));
    setWindowTitle(QStringLiteral("History of FAQ entry %1").arg(rbr));
    setModal(true);

    st_info = new QLabel(this);
    st_info->setObjectName(QStringLiteral("st_info"));
    st_info->setWordWrap(true);

    dw_versions = new QTableWidget(0, 3, this);
    dw_versions->setObjectName(QStringLiteral("dw_versions"));
    dw_versions->setAccessibleName(QStringLiteral("Earlier versions"));
    dw_versions->setHorizontalHeaderLabels(
        {QStringLiteral("Replaced"), QStringLiteral("By"), QStringLiteral("What the change did")});
    dw_versions->setSelectionBehavior(QAbstractItemView::SelectRows);
    dw_versions->setSelectionMode(QAbstractItemView::SingleSelection);
    dw_versions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dw_versions->setTabKeyNavigation(false);
    dw_versions->verticalHeader()->hide();
    dw_versions->horizontalHeader()->setStretchLastSection(true);
    dw_versions->setWordWrap(false);

    auto* preview_caption = new QLabel(QStringLiteral("The entry as it was before that change:"), this);
    mle_preview = new entry_preview(this);
    mle_preview->setObjectName(QStringLiteral("mle_preview"));
    preview_caption->setBuddy(mle_preview);

    cb_take = new QPushButton(QStringLiteral("&Take into window"), this);
    cb_take->setObjectName(QStringLiteral("cb_take"));
    cb_take->setToolTip(QStringLiteral("Puts this version's texts into the entry window; Save stores them."));
    cb_take->setDefault(true);
    cb_close = new QPushButton(QStringLiteral("Close"), this);
    cb_close->setObjectName(QStringLiteral("cb_close"));
    cb_close->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cb_take);
    buttons->addWidget(cb_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(st_info);
    layout->addWidget(dw_versions, 2);
    layout->addWidget(preview_caption);
    layout->addWidget(mle_preview, 3);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(dw_versions, &QTableWidget::itemSelectionChanged, this, &w_history::show_chosen);
    connect(dw_versions, &QTableWidget::cellDoubleClicked, this, [this] { cb_take_clicked(); });
    connect(cb_take, &QPushButton::clicked, this, &w_history::cb_take_clicked);
    connect(cb_close, &QPushButton::clicked, this, &QDialog::reject);
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
        st_info->setText(QStringLiteral("No earlier versions of entry %1 are kept: it has not been changed since the "
                                        "database began to keep them.")
                             .arg(rbr));
        mle_preview->show_note(QString());
        cb_take->setEnabled(false);
        cb_close->setDefault(true);
        cb_close->setFocus();
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
    const QList<QTableWidgetSelectionRange> ranges = dw_versions->selectedRanges();
    if (ranges.isEmpty())
        return nullptr;
    const auto row = static_cast<std::size_t>(ranges.first().topRow());
    return row < versions.size() ? &versions[row] : nullptr;
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

void w_history::cb_take_clicked()
{
    const history::version* version = chosen();
    if (version == nullptr)
        return;
    taken_texts = version->texts;
    accept();
}
