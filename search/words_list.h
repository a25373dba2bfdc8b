#pragma once
// The word search's result list: entry number (kept, not shown), product, question and a piece
// of the answer, best first.

#include <QAbstractTableModel>
#include <vector>

#include "ranking.h"

class words_list : public QAbstractTableModel {
    Q_OBJECT
public:
    enum column : int { rbr_column = 0, proizvod_column = 1, pitanje_column = 2, odgovor_column = 3, column_count = 4 };

    explicit words_list(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The rows for the words typed (the answer's snippet is made when a row is shown).
    void set_hits(std::vector<words::hit> found, const QStringList& typed);
    // The same, but rows already listed for the same words that begin `found` stay as they are
    // (with the selection on them) and the rest are added after them.
    void extend_hits(std::vector<words::hit> found, const QStringList& typed);
    const std::vector<words::hit>& hits() const { return rows; }

private:
    std::vector<words::hit> rows;
    QStringList words;
};
