#pragma once
// The layers between the engine and the program, each read on its own connection to the data
// source "FAQ", so that a figure can be put down to the layer that costs it:
//   odbc   the ODBC driver manager and driver alone: SQLExecDirectW, then SQLFetch into bound
//          buffers, the texts as the program reads them, nothing converted or kept;
//   qtsql  Qt SQL's ODBC driver: a forward-only QSqlQuery, value(i) of the three columns.
// and the entry window's statements through the ODBC driver alone.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct layer_row {
    std::optional<int> rbr;
    QString proizvod;
    QString pitanje;
};

class list_layer {
public:
    virtual ~list_layer() = default;
    // Runs the select and reads every row; false (with error set) when it failed.
    virtual bool read_list(const QString& select, std::vector<layer_row>& rows) = 0;
    QString error;
};

// Load, save and numbering through the ODBC driver manager and driver alone, as a plain ODBC
// client writes them: a statement handle allocated and freed for each statement, the values bound,
// SQLExecDirectW, the texts read with SQLGetData as UTF-16, the save's change in a transaction of
// its own (automatic commit off, SQLEndTran, on again).
struct layer_entry {
    QString adresa, pitanje, proizvod, lot, odgovor;
};

class entry_layer {
public:
    virtual ~entry_layer() = default;
    // Runs the load statement and reads every row; false (with error set) when it failed.
    virtual bool load(const QString& select, layer_entry& entry) = 0;
    // Count, then update and commit when the entry is stored.
    virtual bool save(int rbr, const layer_entry& entry) = 0;
    virtual bool number(std::optional<int>& largest) = 0;
    QString error;
};

std::unique_ptr<list_layer> make_odbc_layer();
std::unique_ptr<entry_layer> make_odbc_entry_layer();
std::unique_ptr<list_layer> make_qtsql_layer();
