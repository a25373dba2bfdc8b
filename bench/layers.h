#pragma once
// The layers between the engine and the program, each read on its own connection to the data
// source "FAQ", so that a figure can be put down to the layer that costs it:
//   odbc   the ODBC driver manager and driver alone: SQLExecDirectW, then SQLFetch into bound
//          buffers, the texts as the program reads them, nothing converted or kept;
//   qtsql  Qt SQL's ODBC driver: a forward-only QSqlQuery, value(i) of the three columns.

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

std::unique_ptr<list_layer> make_odbc_layer();
std::unique_ptr<list_layer> make_qtsql_layer();
