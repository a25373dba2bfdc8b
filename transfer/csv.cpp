#include "csv.h"

#include <optional>

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

namespace {

// Walks the bytes field by field, counting lines; a syntax error stops the walk.
class reader {
public:
    explicit reader(QByteArrayView bytes) : data(bytes) {}

    bool at_end() const { return i >= data.size(); }
    int line_number() const { return line; }

    // The next field, with the separator after it; no value after a syntax error.
    std::optional<QByteArray> field(std::vector<syntax_error>& errors)
    {
        return peek() == '"' ? quoted(errors) : plain(errors);
    }

    // After a field: true when another field of the same record follows. Otherwise the record's
    // end (CRLF, LF or a lone CR, or the end of the file) is passed.
    bool next_in_record()
    {
        if (peek() == ',') {
            ++i;
            return true;
        }
        if (peek() == '\r')
            ++i;
        if (peek() == '\n')
            ++i;
        ++line;
        return false;
    }

private:
    char peek() const { return at_end() ? '\0' : data[i]; }
    bool at_separator() const { return at_end() || data[i] == ',' || data[i] == '\r' || data[i] == '\n'; }

    std::optional<QByteArray> quoted(std::vector<syntax_error>& errors)
    {
        const int opened_on = line;
        QByteArray field;
        ++i;
        for (;;) {
            if (at_end()) {
                errors.push_back({opened_on, QStringLiteral("a quoted field is never closed")});
                return std::nullopt;
            }
            const char c = data[i++];
            if (c == '"') {
                if (peek() != '"')
                    break;
                field += '"';
                ++i;
                continue;
            }
            // A CR counts as a line of its own only when no LF follows it.
            if (c == '\n' || (c == '\r' && peek() != '\n'))
                ++line;
            field += c;
        }
        if (!at_separator()) {
            errors.push_back({line, QStringLiteral("text follows a closing quote")});
            return std::nullopt;
        }
        return field;
    }

    std::optional<QByteArray> plain(std::vector<syntax_error>& errors)
    {
        QByteArray field;
        while (!at_separator()) {
            if (data[i] == '"') {
                errors.push_back({line, QStringLiteral("a quote inside a field that is not quoted")});
                return std::nullopt;
            }
            field += data[i++];
        }
        return field;
    }

    QByteArrayView data;
    qsizetype i = 0;
    int line = 1;
};

} // namespace

std::vector<record> parse(QByteArrayView data, std::vector<syntax_error>& errors)
{
    std::vector<record> records;
    reader input(data);
    while (!input.at_end()) {
        record current;
        current.line = input.line_number();
        do {
            std::optional<QByteArray> field = input.field(errors);
            if (!field)
                return records;
            current.fields.push_back(std::move(*field));
        } while (input.next_in_record());
        records.push_back(std::move(current));
    }
    return records;
}

} // namespace csv
