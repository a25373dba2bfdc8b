#include "csv.h"

namespace csv {

void append_record(QByteArray& out, const QStringList& fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QByteArray field = fields[i].toUtf8();
        const bool quoted = field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n');
        if (!quoted) {
            out += field;
            continue;
        }
        out += '"';
        for (const char c : field) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    out += "\r\n";
}

std::vector<record> parse(QByteArrayView data, std::vector<syntax_error>& errors)
{
    std::vector<record> records;
    int line = 1;
    qsizetype i = 0;
    const qsizetype size = data.size();
    while (i < size) {
        record current;
        current.line = line;
        for (;;) {
            QByteArray field;
            if (i < size && data[i] == '"') {
                const int opened_on = line;
                ++i;
                for (;;) {
                    if (i >= size) {
                        errors.push_back({opened_on, QStringLiteral("a quoted field is never closed")});
                        return records;
                    }
                    const char c = data[i++];
                    if (c == '"') {
                        if (i < size && data[i] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    // A CR counts as a line of its own only when no LF follows it.
                    if (c == '\n' || (c == '\r' && (i >= size || data[i] != '\n')))
                        ++line;
                    field += c;
                }
                if (i < size && data[i] != ',' && data[i] != '\r' && data[i] != '\n') {
                    errors.push_back({line, QStringLiteral("text follows a closing quote")});
                    return records;
                }
            } else {
                while (i < size && data[i] != ',' && data[i] != '\r' && data[i] != '\n') {
                    if (data[i] == '"') {
                        errors.push_back({line, QStringLiteral("a quote inside a field that is not quoted")});
                        return records;
                    }
                    field += data[i++];
                }
            }
            current.fields.push_back(std::move(field));
            if (i < size && data[i] == ',') {
                ++i;
                continue;
            }
            // End of record: CRLF, LF or a lone CR, or the end of the file.
            if (i < size && data[i] == '\r')
                ++i;
            if (i < size && data[i] == '\n')
                ++i;
            ++line;
            break;
        }
        records.push_back(std::move(current));
    }
    return records;
}

} // namespace csv
