#include "dw_pretraga.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>

#include "platform.h"
#include "transaction.h"

namespace {

// Layout units of the list's header labels and detail columns.
constexpr int proizvod_right_edge = 1586; // "Product" reaches from the left edge to here
constexpr int pitanje_width = 3502;
constexpr int header_height = 64 + 2 * 4;
constexpr int detail_height = 76;

// The size of a block of the list's texts.
constexpr std::size_t block_size = 64 * 1024;

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
QString row_tooltip(const QString& proizvod, const QString& pitanje)
{
    return tooltip_field(QStringLiteral("Product:"), proizvod) + tooltip_field(QStringLiteral("Question:"), pitanje);
}

} // namespace

dw_pretraga::dw_pretraga(QObject* parent) : QAbstractTableModel(parent) {}

int dw_pretraga::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : list.size(); }

int dw_pretraga::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : column_count; }

QVariant dw_pretraga::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    if (role == Qt::ToolTipRole)
        return row_tooltip(list.proizvod(row), list.pitanje(row));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case rbr_column: {
        const std::optional<int> number = list.rbr(row);
        return number ? QVariant(*number) : QVariant();
    }
    case proizvod_column:
        return list.proizvod(row);
    case pitanje_column:
        return list.pitanje(row);
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
    // The view keeps painting the old rows while the database works (the session's wait runs
    // the event loop), so the new rows come in a list of their own; one reset hands them over.
    listed_rows fresh;
    if (sqlca != nullptr) {
        statements::retrieve(*sqlca, select, fresh);
        if (sqlca->failed())
            fresh.clear(); // a failed query shows no rows, not the ones read before it failed
    }
    beginResetModel();
    list = std::move(fresh);
    endResetModel();
    if (sqlca == nullptr || sqlca->failed())
        return -1;
    return list.size();
}

std::optional<int> dw_pretraga::item_number(int row) const
{
    if (row < 1 || row > rowCount())
        return std::nullopt;
    return list.rbr(row - 1);
}

std::vector<statements::list_row> dw_pretraga::rows() const
{
    std::vector<statements::list_row> copy;
    copy.reserve(static_cast<std::size_t>(list.size()));
    for (int row = 0; row < list.size(); ++row)
        copy.push_back(statements::list_row{list.rbr(row), list.proizvod(row), list.pitanje(row)});
    return copy;
}

char* dw_pretraga::listed_rows::room(std::size_t size)
{
    if (size > block_free) {
        // A row longer than a block gets a block of its own.
        const std::size_t allocated = std::max(size, block_size);
        blocks.push_back(std::make_unique_for_overwrite<char[]>(allocated));
        block_end = blocks.back().get();
        block_free = allocated;
    }
    char* start = block_end;
    block_end += size;
    block_free -= size;
    return start;
}

void dw_pretraga::listed_rows::row(std::optional<int> rbr, QByteArrayView proizvod, QByteArrayView pitanje)
{
    const auto proizvod_size = static_cast<std::size_t>(proizvod.size());
    const auto pitanje_size = static_cast<std::size_t>(pitanje.size());
    char* start = room(proizvod_size + pitanje_size);
    std::copy_n(proizvod.data(), proizvod_size, start);
    std::copy_n(pitanje.data(), pitanje_size, start + proizvod_size);
    entries.push_back(entry{start, static_cast<std::uint32_t>(proizvod_size), static_cast<std::uint32_t>(pitanje_size),
                            rbr.value_or(0), rbr.has_value()});
}

void dw_pretraga::listed_rows::clear()
{
    // Gives the memory back: the next list may be much shorter.
    std::vector<entry>().swap(entries);
    std::vector<std::unique_ptr<char[]>>().swap(blocks);
    block_free = 0;
    block_end = nullptr;
}

std::optional<int> dw_pretraga::listed_rows::rbr(int index) const
{
    const entry& found = entries[static_cast<std::size_t>(index)];
    return found.has_rbr ? std::optional<int>(found.rbr) : std::nullopt;
}

QString dw_pretraga::listed_rows::proizvod(int index) const
{
    const entry& found = entries[static_cast<std::size_t>(index)];
    return QString::fromUtf8(found.proizvod, static_cast<qsizetype>(found.proizvod_size));
}

QString dw_pretraga::listed_rows::pitanje(int index) const
{
    const entry& found = entries[static_cast<std::size_t>(index)];
    return QString::fromUtf8(found.proizvod + found.proizvod_size, static_cast<qsizetype>(found.pitanje_size));
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
