#include "words_list.h"

#include <algorithm>

int words_list::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows.size()); }

int words_list::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : column_count; }

QVariant words_list::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows.size()) || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const words::hit& h = rows[std::size_t(index.row())];
    switch (index.column()) {
    case rbr_column:
        return h.rbr;
    case proizvod_column:
        return h.proizvod;
    case pitanje_column:
        return h.pitanje;
    case odgovor_column:
        return words::snippet(h.odgovor, words);
    default:
        return {};
    }
}

QVariant words_list::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case proizvod_column:
        return QStringLiteral("Product");
    case pitanje_column:
        return QStringLiteral("Question");
    case odgovor_column:
        return QStringLiteral("Answer");
    default:
        return {};
    }
}

void words_list::set_hits(std::vector<words::hit> found, const QStringList& typed)
{
    beginResetModel();
    rows = std::move(found);
    words = typed;
    endResetModel();
}

void words_list::extend_hits(std::vector<words::hit> found, const QStringList& typed)
{
    const bool continues = typed == words && found.size() >= rows.size()
                           && std::equal(rows.begin(), rows.end(), found.begin(),
                                         [](const words::hit& a, const words::hit& b) { return a.rbr == b.rbr; });
    if (!continues) {
        set_hits(std::move(found), typed);
        return;
    }
    if (found.size() == rows.size())
        return;
    beginInsertRows(QModelIndex(), int(rows.size()), int(found.size()) - 1);
    rows.insert(rows.end(), std::make_move_iterator(found.begin() + std::ptrdiff_t(rows.size())),
                std::make_move_iterator(found.end()));
    endInsertRows();
}
