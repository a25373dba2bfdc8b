#include "multiline_edit.h"

#include <QTextDocument>

namespace {

// True when every line break of the text is a Windows line break.
bool windows_line_breaks(const QString& text)
{
    const qsizetype pairs = text.count(QStringLiteral("\r\n"));
    return pairs > 0 && pairs == text.count(QLatin1Char('\n')) && pairs == text.count(QLatin1Char('\r'));
}

} // namespace

multiline_edit::multiline_edit(QWidget* parent) : QPlainTextEdit(parent)
{
    // Tab moves between the fields, as in every other control of the form.
    setTabChangesFocus(true);
    // Long lines wrap at the edge; the form never scrolls sideways.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void multiline_edit::set_text(const QString& text)
{
    setPlainText(text);
    given = text;
    shown = document_text();
}

QString multiline_edit::text() const
{
    QString current = document_text();
    if (current == shown)
        return given;
    if (windows_line_breaks(given))
        current.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return current;
}

QString multiline_edit::document_text() const
{
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}
