#include "multiline_edit.h"

#include <QTextDocument>
#include <numeric>

namespace {

// True when every line break of the text is a Windows line break.
bool windows_line_breaks(const QString& text)
{
    const qsizetype pairs = text.count(QStringLiteral("\r\n"));
    return pairs > 0 && pairs == text.count(QLatin1Char('\n')) && pairs == text.count(QLatin1Char('\r'));
}

// The characters that the document turns into a break between blocks.
bool is_line_break(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator;
}

} // namespace

multiline_edit::multiline_edit(QWidget* parent) : QPlainTextEdit(parent)
{
    // Tab moves between the fields, as in every other control of the form.
    setTabChangesFocus(true);
    // Long lines wrap at the edge; the form never scrolls sideways.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(document(), &QTextDocument::contentsChange, this, [this] { follow_change(); });
    map_shown_to_given(); // an empty edit was given the empty text
}

void multiline_edit::set_text(const QString& text)
{
    setPlainText(text);
    given = text;
    shown = document_text();
    map_shown_to_given();
}

void multiline_edit::map_shown_to_given()
{
    starts.assign(std::size_t(shown.size()), given.size());
    ends.assign(std::size_t(shown.size()), given.size());
    qsizetype from = 0;
    for (qsizetype at = 0; at < shown.size();) {
        const auto index = std::size_t(at);
        if (from >= given.size()) {
            // The document shows more than it was given: nothing in `given` stands for it.
            ++at;
        } else if (given[from] == shown[at]) {
            starts[index] = from;
            ends[index] = ++from;
            ++at;
        } else if (shown[at] == QLatin1Char('\n') && is_line_break(given[from])) {
            // One block break stands for "\r\n", "\r" or U+2029.
            starts[index] = from;
            from += given.mid(from, 2) == QLatin1String("\r\n") ? 2 : 1;
            ends[index] = from;
            ++at;
        } else {
            ++from; // a character the document does not show stays with its neighbours
        }
    }
    current = shown;
    origin.resize(std::size_t(shown.size()));
    std::iota(origin.begin(), origin.end(), qsizetype(0));
}

void multiline_edit::follow_change() const
{
    const QString now = document_text();
    if (now == current)
        return;
    const qsizetype shortest = std::min(current.size(), now.size());
    qsizetype prefix = 0;
    while (prefix < shortest && current[prefix] == now[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shortest - prefix && current[current.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    const auto first = origin.begin() + prefix;
    origin.erase(first, origin.begin() + (current.size() - suffix));
    origin.insert(origin.begin() + prefix, std::size_t(now.size() - suffix - prefix), typed);
    current = now;
}

QString multiline_edit::text() const
{
    follow_change();
    if (current == shown)
        return given; // untouched, or every edit taken back
    const bool crlf = windows_line_breaks(given);
    const qsizetype last = shown.size() - 1;
    QString result;
    result.reserve(given.size() + current.size() / 8);
    qsizetype previous = typed;
    for (qsizetype at = 0; at < current.size(); ++at) {
        const qsizetype from_shown = origin[std::size_t(at)];
        if (from_shown == typed) {
            // A line break the user typed is written the way the given text writes all of its own.
            if (crlf && current[at] == QLatin1Char('\n'))
                result += QLatin1String("\r\n");
            else
                result += current[at];
            previous = typed;
            continue;
        }
        const auto index = std::size_t(from_shown);
        // Characters of the given text that the document does not show go with the shown ones
        // around them: before the first, between two neighbours, after the last.
        qsizetype from = starts[index];
        if (from_shown == 0)
            from = 0;
        else if (previous == from_shown - 1)
            from = ends[index - 1];
        const qsizetype to = from_shown == last ? given.size() : ends[index];
        result += QStringView(given).mid(from, to - from);
        previous = from_shown;
    }
    return result;
}

QString multiline_edit::document_text() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}
