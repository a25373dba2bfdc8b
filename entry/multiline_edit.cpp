#include "multiline_edit.h"

#include <QTextDocument>

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
    starts.assign(std::size_t(shown.size()) + 1, given.size());
    ends.assign(std::size_t(shown.size()), given.size());
    qsizetype from = 0;
    for (qsizetype at = 0; at < shown.size();) {
        const auto index = std::size_t(at);
        if (from >= given.size()) {
            // The document shows more than it was given: nothing in `given` stands for it.
            starts[index] = ends[index] = given.size();
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
}

QString multiline_edit::text() const
{
    const QString current = document_text();
    if (current == shown)
        return given;
    // The edited stretch: what lies between the longest common start and end of the text as
    // shown and as it is now.
    const qsizetype shortest = std::min(shown.size(), current.size());
    qsizetype prefix = 0;
    while (prefix < shortest && shown[prefix] == current[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shortest - prefix && shown[shown.size() - 1 - suffix] == current[current.size() - 1 - suffix])
        ++suffix;

    // The same stretch of the given text: characters the document does not show stay outside it.
    const qsizetype replaced_from = starts[std::size_t(prefix)];
    const qsizetype shown_end = shown.size() - suffix;
    const qsizetype replaced_to = shown_end > prefix ? std::max(replaced_from, ends[std::size_t(shown_end - 1)]) : replaced_from;

    QString typed = current.mid(prefix, current.size() - suffix - prefix);
    if (windows_line_breaks(given))
        typed.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return given.left(replaced_from) + typed + given.mid(replaced_to);
}

QString multiline_edit::document_text() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}
