#include "statements.h"

#include <QSqlQuery>
#include <QSqlError>
#include <QVariant>

namespace statements {
namespace {

bool is_word_char(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.'); }

// A marker is ' ' (quote, blank, quote) or a 0 standing alone between non-word characters.
template <typename OnMarker, typename OnChar>
void scan_markers(QStringView text, OnMarker on_marker, OnChar on_char)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.mid(i, 3) == u"' '") {
            on_marker();
            i += 2;
            continue;
        }
        if (text[i] == QLatin1Char('0') && (i == 0 || !is_word_char(text[i - 1]))
            && (i + 1 == text.size() || !is_word_char(text[i + 1]))) {
            on_marker();
            continue;
        }
        on_char(text[i]);
    }
}

// Null QStrings bind as SQL NULL; the entry's texts are stored as typed, so empty is "".
QVariant text_value(const QString& text) { return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text); }

QVariant number_value(std::int16_t number) { return QVariant(static_cast<int>(number)); }

// Prepares a fixed statement; false (with SQLCode set) when it cannot even be prepared.
bool prepare(transaction& sqlca, QSqlQuery& query, QStringView system_text)
{
    if (sqlca.refuse_when_not_connected())
        return false;
    query.setForwardOnly(true);
    if (!query.prepare(with_placeholders(system_text))) {
        sqlca.failed(query.lastError());
        return false;
    }
    return true;
}

// Runs a single-value select; the value is handed on only when a row came back.
template <typename Store>
void single_value(transaction& sqlca, QSqlQuery& query, Store store)
{
    if (!query.exec()) {
        sqlca.failed(query.lastError());
    } else if (query.next()) {
        store(query.value(0));
        sqlca.succeeded();
    } else {
        sqlca.succeeded(transaction::not_found);
    }
    query.finish();
    sqlca.read_done();
}

void run_change(transaction& sqlca, QSqlQuery& query)
{
    if (query.exec()) {
        sqlca.change_made();
        sqlca.succeeded();
    } else {
        sqlca.failed(query.lastError());
        query.finish();
        sqlca.undo_failed_change();
    }
}

} // namespace

QString with_placeholders(QStringView system_text)
{
    QString result;
    result.reserve(system_text.size());
    scan_markers(system_text, [&] { result += QLatin1Char('?'); }, [&](QChar c) { result += c; });
    return result;
}

int marker_count(QStringView system_text)
{
    int count = 0;
    scan_markers(system_text, [&] { ++count; }, [](QChar) {});
    return count;
}

void select_max_rbr(transaction& sqlca, std::optional<int>& broj)
{
    QSqlQuery query(sqlca.database());
    if (!prepare(sqlca, query, max_rbr))
        return;
    single_value(sqlca, query, [&](const QVariant& value) {
        broj = value.isNull() ? std::nullopt : std::optional<int>(value.toInt());
    });
    // MAX of an empty table is one row with a null value: that is a success.
}

void select_count(transaction& sqlca, std::int16_t a_rbr, std::int16_t& ima)
{
    QSqlQuery query(sqlca.database());
    if (!prepare(sqlca, query, count_rbr))
        return;
    query.addBindValue(number_value(a_rbr));
    single_value(sqlca, query, [&](const QVariant& value) { ima = static_cast<std::int16_t>(value.toInt()); });
}

void update_entry(transaction& sqlca, const entry_texts& entry, std::int16_t a_rbr)
{
    QSqlQuery query(sqlca.database());
    if (!prepare(sqlca, query, update_entry_text))
        return;
    query.addBindValue(text_value(entry.adresa));
    query.addBindValue(text_value(entry.pitanje));
    query.addBindValue(text_value(entry.proizvod));
    query.addBindValue(text_value(entry.lot));
    query.addBindValue(text_value(entry.odgovor));
    query.addBindValue(number_value(a_rbr));
    run_change(sqlca, query);
}

void insert_entry(transaction& sqlca, std::int16_t a_rbr, const entry_texts& entry, const QString& datum)
{
    QSqlQuery query(sqlca.database());
    if (!prepare(sqlca, query, insert_entry_text))
        return;
    query.addBindValue(number_value(a_rbr));
    query.addBindValue(text_value(entry.adresa));
    query.addBindValue(text_value(entry.pitanje));
    query.addBindValue(text_value(datum));
    query.addBindValue(text_value(entry.proizvod));
    query.addBindValue(text_value(entry.lot));
    query.addBindValue(text_value(entry.odgovor));
    run_change(sqlca, query);
}

void delete_entry(transaction& sqlca, std::int16_t rbr)
{
    QSqlQuery query(sqlca.database());
    if (!prepare(sqlca, query, delete_entry_text))
        return;
    query.addBindValue(number_value(rbr));
    run_change(sqlca, query);
}

QString load_statement(std::int16_t broj)
{
    return QString::fromUtf16(load_select) + QString::number(broj);
}

void retrieve(transaction& sqlca, const QString& select, std::vector<list_row>& rows)
{
    rows.clear();
    if (sqlca.refuse_when_not_connected())
        return;
    QSqlQuery query(sqlca.database());
    query.setForwardOnly(true);
    if (!query.exec(select)) {
        sqlca.failed(query.lastError());
        query.finish();
        sqlca.read_done();
        return;
    }
    while (query.next()) {
        const QVariant number = query.value(0);
        rows.push_back(list_row{number.isNull() ? std::nullopt : std::optional<int>(number.toInt()),
                                query.value(1).toString(), query.value(2).toString()});
    }
    if (query.lastError().isValid())
        sqlca.failed(query.lastError());
    else
        sqlca.succeeded(rows.empty() ? transaction::not_found : transaction::success);
    query.finish();
    sqlca.read_done();
}

} // namespace statements
