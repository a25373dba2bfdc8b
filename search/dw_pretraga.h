#pragma once
// The result list: entry number (kept, not shown), product and question of every row the
// installed query returned, in the order the database returned them.

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <vector>

#include "statements.h"

class QTableView;
class transaction;

class dw_pretraga : public QAbstractTableModel {
    Q_OBJECT
public:
    enum column : int { rbr_column = 0, proizvod_column = 1, pitanje_column = 2, column_count = 3 };

    explicit dw_pretraga(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The session the list retrieves on, and the query it runs.
    void set_trans_object(transaction& sqlca);
    void set_sql_select(const QString& select);
    const QString& sql_select() const { return select; }

    // Runs the query and replaces every row (one model reset, which also clears the highlight).
    // Returns the number of rows, or -1 when the query failed; the session's SQLCode and
    // SQLErrText tell why.
    long retrieve();

    // The entry number of a 1-based row; empty when the number is null or there is no such row.
    std::optional<int> item_number(int row) const;

    const std::vector<statements::list_row>& rows() const { return list; }

    // Prepares the view that shows this list: product and question columns at the layout's
    // widths, the number column hidden, uniform rows, and no highlight drawn by the user's own
    // clicks or keys (only the window's click handlers highlight a row).
    void set_up_view(QTableView& view);

private:
    transaction* sqlca = nullptr;
    QString select;
    std::vector<statements::list_row> list;
};
