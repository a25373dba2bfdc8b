#pragma once
// CSV as RFC 4180 has it: fields separated by commas, records ended by CRLF, a field quoted
// when it holds a comma, a quote or a line break (its quotes doubled). Line breaks inside a
// quoted field are kept exactly as they are, CRLF included.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <vector>

namespace csv {

// Appends one record, in UTF-8.
void append_record(QByteArray& out, const QStringList& fields);

// One record as read: its fields as the bytes of the file (quotes removed), and the line of the
// file it starts on.
struct record {
    int line = 0;
    std::vector<QByteArray> fields;
};

struct syntax_error {
    int line = 0;
    QString text;
};

// Splits a file into records. A last record without its line break counts; an empty file has
// none. A quote that is never closed, or text after a closing quote, is an error: parsing
// stops there.
std::vector<record> parse(QByteArrayView data, std::vector<syntax_error>& errors);

} // namespace csv
