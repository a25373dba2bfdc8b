#include "field_marks.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QTextDocument>

#include "multiline_edit.h"

namespace {

// The document's text with a line break for each break between blocks: positions are those of
// its cursors.
QString document_text(const QPlainTextEdit* edit)
{
    QString text = edit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace

field_marks::field_marks(std::vector<field> marked_fields, QObject* parent)
    : QObject(parent), fields(std::move(marked_fields))
{
    for (const field& f : fields) {
        if (auto* line = qobject_cast<QLineEdit*>(f.control)) {
            // The shading stands at fixed places in the text: once the user edits it, it goes.
            connect(line, &QLineEdit::textEdited, this, [this, line] {
                set_line_formats(line, {});
                forget_places_in(line);
            });
        }
    }
}

QTextCharFormat field_marks::mark_format()
{
    QTextCharFormat format;
    format.setBackground(QColor(255, 214, 64));
    format.setForeground(Qt::black);
    return format;
}

void field_marks::show(const marks::rule& rule)
{
    last_rule = rule;
    places.clear();
    line_marks.clear();
    visited = false;
    current = 0;
    for (const field& f : fields) {
        if (auto* edit = qobject_cast<multiline_edit*>(f.control)) {
            QList<QTextEdit::ExtraSelection> selections;
            if (!rule.empty()) {
                for (const marks::range& r : rule.in(f.column, document_text(edit))) {
                    QTextCursor cursor(edit->document());
                    cursor.setPosition(int(r.start));
                    cursor.setPosition(int(r.start + r.length), QTextCursor::KeepAnchor);
                    selections.append({cursor, mark_format()});
                    places.push_back({edit, cursor, r});
                }
            }
            edit->setExtraSelections(selections);
        } else if (auto* line = qobject_cast<QLineEdit*>(f.control)) {
            const std::vector<marks::range> found =
                rule.empty() ? std::vector<marks::range>{} : rule.in(f.column, line->text());
            set_line_formats(line, found);
            for (const marks::range& r : found)
                places.push_back({line, QTextCursor(), r});
        }
    }
}

void field_marks::set_line_formats(QLineEdit* edit, const std::vector<marks::range>& ranges)
{
    // A line edit takes formats only from an input method event; one with no text to insert
    // or compose changes nothing but the look. Its places count from the cursor.
    QList<QInputMethodEvent::Attribute> attributes;
    for (const marks::range& r : ranges)
        attributes.append(
            {QInputMethodEvent::TextFormat, int(r.start) - edit->cursorPosition(), int(r.length), mark_format()});
    QInputMethodEvent event(QString(), attributes);
    QCoreApplication::sendEvent(edit, &event);
    std::erase_if(line_marks, [edit](const auto& entry) { return entry.first == edit; });
    if (!ranges.empty())
        line_marks.emplace_back(edit, ranges);
}

void field_marks::forget_places_in(const QWidget* control)
{
    std::erase_if(places, [control](const place& p) { return p.control == control; });
    visited = false;
    current = 0;
}

std::vector<marks::range> field_marks::shown_in(const QWidget* control) const
{
    std::vector<marks::range> found;
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(control)) {
        for (const QTextEdit::ExtraSelection& s : edit->extraSelections())
            found.push_back({s.cursor.selectionStart(), s.cursor.selectionEnd() - s.cursor.selectionStart()});
    } else {
        for (const auto& [line, ranges] : line_marks)
            if (line == control)
                found = ranges;
    }
    return found;
}

void field_marks::next()
{
    if (places.empty())
        return;
    go_to(visited ? (current + 1) % places.size() : 0);
}

void field_marks::previous()
{
    if (places.empty())
        return;
    go_to(visited && current > 0 ? current - 1 : places.size() - 1);
}

void field_marks::go_to(std::size_t index)
{
    current = index;
    visited = true;
    const place& p = places[index];
    p.control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QPlainTextEdit*>(p.control)) {
        edit->setTextCursor(p.cursor);
        edit->ensureCursorVisible();
    } else if (auto* line = qobject_cast<QLineEdit*>(p.control)) {
        line->setSelection(int(p.line_range.start), int(p.line_range.length));
    }
}

bool field_marks::scroll_to_first(multiline_edit* edit)
{
    for (const place& p : places) {
        if (p.control != edit)
            continue;
        QTextCursor at = p.cursor;
        at.setPosition(at.selectionStart());
        edit->setTextCursor(at);
        edit->centerCursor();
        return true;
    }
    return false;
}
