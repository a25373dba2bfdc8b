#include "dw_pretraga.h"

#include <QHeaderView>
#include <QTableView>

#include "platform.h"
#include "transaction.h"

namespace {

// Layout units of the list's header labels and detail columns.
constexpr int proizvod_right_edge = 1586; // "Product" reaches from the left edge to here
constexpr int pitanje_width = 3502;
constexpr int header_height = 64 + 2 * 4;
constexpr int detail_height = 76;

// One field of the tooltip: its caption in bold, then the text with markup characters escaped
// and line breaks kept. A short text stays on one line; a long one wraps.
QString tooltip_field(const QString& caption, const QString& text)
{
    constexpr qsizetype short_text = 80;
    QString escaped = text.toHtmlEscaped();
    escaped.remove(QLatin1Char('\r'));
    escaped.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    const bool one_line = text.size() <= short_text && !text.contains(QLatin1Char('\n'));
    return (one_line ? QStringLiteral("<div style=\"white-space:pre\"><b>") : QStringLiteral("<div><b>")) + caption
           + QStringLiteral("</b> ") + escaped + QStringLiteral("</div>");
}

// The row's whole product and question, for texts longer than their columns. Rich text, so
// that a long question wraps instead of running off the screen.
QString row_tooltip(const statements::list_row& row)
{
    return tooltip_field(QStringLiteral("Product:"), row.proizvod) + tooltip_field(QStringLiteral("Question:"), row.pitanje);
}

} // namespace

dw_pretraga::dw_pretraga(QObject* parent) : QAbstractTableModel(parent) {}

int dw_pretraga::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(list.size());
}

int dw_pretraga::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : column_count; }

QVariant dw_pretraga::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const statements::list_row& row = list[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole)
        return row_tooltip(row);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case rbr_column:
        return row.rbr ? QVariant(*row.rbr) : QVariant();
    case proizvod_column:
        return row.proizvod;
    case pitanje_column:
        return row.pitanje;
    default:
        return {};
    }
}

QVariant dw_pretraga::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case rbr_column:
        return QStringLiteral("rbr");
    case proizvod_column:
        return QStringLiteral("Product");
    case pitanje_column:
        return QStringLiteral("Question");
    default:
        return {};
    }
}

Qt::ItemFlags dw_pretraga::flags(const QModelIndex& index) const
{
    // Selectable so that the window's handlers can highlight a row; never editable.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void dw_pretraga::set_trans_object(transaction& session) { sqlca = &session; }

void dw_pretraga::set_sql_select(const QString& text) { select = text; }

long dw_pretraga::retrieve()
{
    std::vector<statements::list_row> fresh;
    if (sqlca != nullptr)
        statements::retrieve(*sqlca, select, fresh);
    beginResetModel();
    list = std::move(fresh);
    endResetModel();
    if (sqlca == nullptr || sqlca->SQLCode < 0)
        return -1;
    return static_cast<long>(list.size());
}

std::optional<int> dw_pretraga::item_number(int row) const
{
    if (row < 1 || row > rowCount())
        return std::nullopt;
    return list[static_cast<std::size_t>(row - 1)].rbr;
}

void dw_pretraga::set_up_view(QTableView& view)
{
    view.setModel(this);
    view.setFont(platform::font(QStringLiteral("Arial"), 10));
    view.horizontalHeader()->setFont(platform::font(QStringLiteral("Arial"), 10));

    view.setColumnHidden(rbr_column, true); // read by the click handlers, never shown
    view.horizontalHeader()->setStretchLastSection(false);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view.setColumnWidth(proizvod_column, platform::units_to_px_x(proizvod_right_edge));
    view.setColumnWidth(pitanje_column, platform::units_to_px_x(pitanje_width));
    view.horizontalHeader()->setFixedHeight(platform::units_to_px_y(header_height));
    view.horizontalHeader()->setHighlightSections(false);
    view.horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter); // labels start with their column
    view.horizontalHeader()->setSectionsClickable(false); // no sorting: rows stay in database order

    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(platform::units_to_px_y(detail_height));

    // The user's clicks and keys select nothing; the window's handlers set the highlight through
    // the selection model, whole rows at a time.
    view.setSelectionMode(QAbstractItemView::NoSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setShowGrid(false);
    view.setWordWrap(false);

    // The question column reaches beyond the view's width: scroll to it, pixel by pixel.
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}
