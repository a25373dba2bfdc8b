#include "import_plan.h"

#include <QHash>
#include <set>

#include "csv.h"
#include "text_encoding.h"

namespace import_plan {
namespace {

constexpr int first_number = 1;
constexpr int last_number = 32767;

QString line_place(int line) { return QStringLiteral("line %1").arg(line); }

// Column positions by the header's names; -1 for a column the file lacks (only the date may be).
std::vector<int> column_positions(const csv::record& header, const QString& encoding, QStringList& problems)
{
    const QStringList& names = faq_rows::column_names();
    std::vector<int> position(size_t(names.size()), -1);
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const QString name = text_encoding::decode(header.fields[i], encoding).value_or(QString()).trimmed();
        const qsizetype column = names.indexOf(name.toLower());
        if (column < 0)
            problems << line_place(header.line) + QStringLiteral(": \"%1\" is not a column of the FAQ table").arg(name);
        else if (position[size_t(column)] >= 0)
            problems << line_place(header.line) + QStringLiteral(": the column \"%1\" comes twice").arg(names[column]);
        else
            position[size_t(column)] = int(i);
    }
    for (qsizetype column = 0; column < names.size(); ++column)
        if (position[size_t(column)] < 0 && names[column] != QStringLiteral("datum"))
            problems << line_place(header.line) + QStringLiteral(": the column \"%1\" is missing").arg(names[column]);
    return position;
}

// The texts of one record in column order; no value (with the problems noted) when a field is
// not valid in the encoding.
std::optional<QStringList> record_texts(const csv::record& record, const std::vector<int>& position,
                                        const QString& encoding, const QString& today, QStringList& problems)
{
    const QStringList& names = faq_rows::column_names();
    QStringList texts;
    bool valid = true;
    for (qsizetype column = 0; column < names.size(); ++column) {
        const int at = position[size_t(column)];
        if (at < 0) {
            texts << today;
            continue;
        }
        const std::optional<QString> text = text_encoding::decode(record.fields[size_t(at)], encoding);
        if (!text) {
            problems << line_place(record.line)
                            + QStringLiteral(": the text of \"%1\" is not valid %2").arg(names[column], encoding);
            valid = false;
        }
        texts << text.value_or(QString());
    }
    if (!valid)
        return std::nullopt;
    return texts;
}

candidate from_texts(const QString& place, const QStringList& texts)
{
    candidate found;
    found.place = place;
    found.rbr_text = texts[0];
    bool whole = false;
    const qint64 number = texts[0].trimmed().toLongLong(&whole);
    if (whole)
        found.rbr = number;
    found.entry = {0, texts[1], texts[2], texts[3], texts[4], texts[5], texts[6]};
    return found;
}

bool in_range(const candidate& found) { return found.rbr && *found.rbr >= first_number && *found.rbr <= last_number; }

// The numbers the file gives keep their entries first: those that are out of range, taken or
// met before are problems, or (with renumber) wait for a free number.
std::vector<const candidate*> claim_file_numbers(const std::vector<candidate>& candidates, std::set<int>& in_use,
                                                 bool renumber, QStringList& problems)
{
    std::vector<const candidate*> to_renumber;
    QHash<int, QString> first_place; // where the file first used a number
    std::set<int> file_numbers;
    for (const candidate& found : candidates) {
        if (!in_range(found)) {
            problems << found.place
                            + QStringLiteral(": the number \"%1\" is not a whole number from 1 to 32767")
                                  .arg(found.rbr_text);
            continue;
        }
        const int number = int(*found.rbr);
        if (first_place.contains(number)) {
            if (!renumber)
                problems << found.place
                                + QStringLiteral(": the number %1 is in the file twice (first on %2)")
                                      .arg(number)
                                      .arg(first_place[number]);
            to_renumber.push_back(&found);
            continue;
        }
        first_place.insert(number, found.place);
        if (in_use.contains(number)) {
            if (!renumber)
                problems << found.place + QStringLiteral(": the number %1 is already taken").arg(number);
            to_renumber.push_back(&found);
            continue;
        }
        file_numbers.insert(number);
    }
    in_use.insert(file_numbers.begin(), file_numbers.end());
    return to_renumber;
}

// Free numbers for renumbered entries: above the largest in use, then any gap left.
QHash<const candidate*, int> hand_out_numbers(const std::vector<const candidate*>& to_renumber, std::set<int>& in_use,
                                              plan& result)
{
    int next_free = in_use.empty() ? 0 : *in_use.rbegin();
    const auto free_number = [&]() -> std::optional<int> {
        for (int tries = 0; tries < last_number; ++tries) {
            next_free = next_free >= last_number ? first_number : next_free + 1;
            if (!in_use.contains(next_free))
                return next_free;
        }
        return std::nullopt;
    };
    QHash<const candidate*, int> new_number;
    for (const candidate* found : to_renumber) {
        const std::optional<int> number = free_number();
        if (!number) {
            result.problems << found->place + QStringLiteral(": no free number is left for this entry");
            continue;
        }
        in_use.insert(*number);
        new_number.insert(found, *number);
        result.renumbered
            << found->place + QStringLiteral(": the number %1 is taken, added as %2").arg(*found->rbr).arg(*number);
    }
    return new_number;
}

} // namespace

std::vector<candidate> read_csv(QByteArrayView data, const QString& encoding, const QString& today,
                                QStringList& problems)
{
    std::vector<candidate> candidates;
    // A byte order mark some programs put first in a UTF-8 file.
    if (data.startsWith("\xEF\xBB\xBF") && encoding.compare(QStringLiteral("utf-8"), Qt::CaseInsensitive) == 0)
        data = data.sliced(3);
    std::vector<csv::syntax_error> errors;
    const std::vector<csv::record> records = csv::parse(data, errors);
    for (const csv::syntax_error& error : errors)
        problems << line_place(error.line) + QStringLiteral(": ") + error.text;
    if (records.empty()) {
        if (errors.empty())
            problems << QStringLiteral("the file is empty: it has no header");
        return candidates;
    }
    const csv::record& header = records.front();
    const std::vector<int> position = column_positions(header, encoding, problems);
    if (!problems.isEmpty())
        return candidates;

    for (size_t r = 1; r < records.size(); ++r) {
        const csv::record& record = records[r];
        if (record.fields.size() != header.fields.size()) {
            problems << line_place(record.line)
                            + QStringLiteral(": %1 fields, the header has %2")
                                  .arg(record.fields.size())
                                  .arg(header.fields.size());
            continue;
        }
        if (const std::optional<QStringList> texts = record_texts(record, position, encoding, today, problems))
            candidates.push_back(from_texts(line_place(record.line), *texts));
    }
    return candidates;
}

plan make(std::vector<candidate> candidates, const std::vector<int>& taken, bool renumber, QStringList problems)
{
    plan result;
    result.problems = std::move(problems);
    std::set<int> in_use(taken.begin(), taken.end());
    // After the file's numbers are claimed, the largest in use is the largest the table or the
    // file has: renumbered entries are numbered above it.
    const std::vector<const candidate*> to_renumber = claim_file_numbers(candidates, in_use, renumber, result.problems);
    QHash<const candidate*, int> new_number;
    if (renumber)
        new_number = hand_out_numbers(to_renumber, in_use, result);
    if (!result.problems.isEmpty())
        return result;
    const std::set<const candidate*> renumbered_ones(to_renumber.begin(), to_renumber.end());
    for (const candidate& found : candidates) {
        faq_rows::entry row = found.entry;
        row.rbr = renumbered_ones.contains(&found) ? new_number.value(&found) : int(*found.rbr);
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace import_plan
