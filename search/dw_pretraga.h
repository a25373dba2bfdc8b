#pragma once
// The result list: entry number (kept, not shown), product and question of every row the
// installed query returned, in the order the database returned them.

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <memory>
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

    // Every row, as separate values (a copy, for checks).
    std::vector<statements::list_row> rows() const;

    // Prepares the view that shows this list: product and question columns at the layout's
    // widths, the number column hidden, uniform rows, and no highlight drawn by the user's own
    // clicks or keys (only the window's click handlers highlight a row).
    void set_up_view(QTableView& view);

private:
    // The rows of one retrieval. The texts lie back to back in blocks of 64 KB, in UTF-8 as the
    // database hands them over: filling a list of thousands of rows costs no allocation per row,
    // about half the memory of separate QStrings, and no copying as the list grows. A text
    // becomes a QString only when the view asks for it.
    class listed_rows final : public list_sink {
    public:
        void row(std::optional<int> rbr, QByteArrayView proizvod, QByteArrayView pitanje) override;
        void clear();
        void discard_rows() override { clear(); }
        int size() const { return static_cast<int>(entries.size()); }
        std::optional<int> rbr(int index) const;
        QString proizvod(int index) const;
        QString pitanje(int index) const;

    private:
        struct entry {
            const char* proizvod; // the question follows the product in the same block
            std::uint32_t proizvod_size;
            std::uint32_t pitanje_size;
            int rbr;
            bool has_rbr;
        };
        // Room for the texts of one row: in the current block, or in a new one.
        char* room(std::size_t size);

        std::vector<entry> entries;
        std::vector<std::unique_ptr<char[]>> blocks;
        std::size_t block_free = 0;
        char* block_end = nullptr;
    };

    transaction* sqlca = nullptr;
    QString select;
    listed_rows list;
};
