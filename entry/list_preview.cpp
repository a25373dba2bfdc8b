#include "list_preview.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "entry_preview.h"

list_preview::list_preview(const setup& how, QWidget* parent) : QDialog(parent)
{
    setObjectName(how.object_name);
    setWindowTitle(how.title);
    setModal(true);

    st_info = new QLabel(this);
    st_info->setObjectName(QStringLiteral("st_info"));
    st_info->setWordWrap(true);

    list = new QTableWidget(0, static_cast<int>(how.columns.size()), this);
    list->setObjectName(how.list_name);
    list->setAccessibleName(how.list_accessible);
    list->setHorizontalHeaderLabels(how.columns);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTabKeyNavigation(false);
    list->verticalHeader()->hide();
    list->setWordWrap(false);

    auto* preview_caption = new QLabel(how.preview_caption, this);
    mle_preview = new entry_preview(this);
    mle_preview->setObjectName(QStringLiteral("mle_preview"));
    preview_caption->setBuddy(mle_preview);

    cb_action = new QPushButton(how.action_text, this);
    cb_action->setObjectName(how.action_name);
    cb_action->setToolTip(how.action_tip);
    cb_action->setDefault(true);
    cb_close = new QPushButton(QStringLiteral("Close"), this);
    cb_close->setObjectName(QStringLiteral("cb_close"));
    cb_close->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cb_action);
    buttons->addWidget(cb_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(st_info);
    layout->addWidget(list, 2);
    layout->addWidget(preview_caption);
    layout->addWidget(mle_preview, how.preview_stretch);
    layout->addLayout(buttons);
    resize(how.size);

    connect(list, &QTableWidget::itemSelectionChanged, this, [this] { show_chosen(); });
    connect(list, &QTableWidget::cellDoubleClicked, this, [this] { act(); });
    connect(cb_action, &QPushButton::clicked, this, [this] { act(); });
    connect(cb_close, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::size_t> list_preview::chosen_row(std::size_t rows) const
{
    const QList<QTableWidgetSelectionRange> ranges = list->selectedRanges();
    if (ranges.isEmpty())
        return std::nullopt;
    const auto row = static_cast<std::size_t>(ranges.first().topRow());
    return row < rows ? std::optional(row) : std::nullopt;
}

void list_preview::show_empty(const QString& note)
{
    st_info->setText(note);
    mle_preview->show_note(QString());
    cb_action->setEnabled(false);
    cb_close->setDefault(true);
    cb_close->setFocus();
}

QTableWidgetItem* list_preview::cell(const QString& text, const QString& tip)
{
    auto* item = new QTableWidgetItem(text);
    item->setToolTip(tip.isEmpty() ? text : tip);
    return item;
}
