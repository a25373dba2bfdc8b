#pragma once
// The marks of a search in the entry window's fields: shaded where the search matched (display
// only: the texts, the undo history and the unsaved-changes check never see them), and visited
// one after another with F3 and Shift+F3, round from the last to the first.

#include <QLineEdit>
#include <QObject>
#include <QString>
#include <QTextCursor>
#include <vector>

#include "rule.h"

class multiline_edit;

class field_marks : public QObject {
    Q_OBJECT
public:
    struct field {
        QWidget* control; // a multiline_edit or a QLineEdit
        QString column;
    };
    // The fields in the order F3 visits them.
    explicit field_marks(std::vector<field> fields, QObject* parent = nullptr);

    // Marks what the rule finds in the texts the fields show now (an empty rule clears them).
    void show(const marks::rule& rule);
    // Shows the text again with the last rule's marks (after the texts were replaced).
    void show_again() { show(last_rule); }

    // Selects the next or the previous mark, wrapping round, and gives its field the focus.
    void next();
    void previous();
    // Scrolls the field to its first mark, leaving the focus where it is; false without one.
    bool scroll_to_first(multiline_edit* edit);

    // The marks a field shows now.
    std::vector<marks::range> shown_in(const QWidget* control) const;
    // The shade of a mark.
    static QTextCharFormat mark_format();

private:
    struct place {
        QWidget* control;
        QTextCursor cursor;      // in a multiline_edit: follows the user's edits
        marks::range line_range; // in a QLineEdit
    };
    void set_line_formats(QLineEdit* edit, const std::vector<marks::range>& ranges);
    void go_to(std::size_t index);
    // The places still valid: a QLineEdit's marks go when the user edits its text.
    void forget_places_in(const QWidget* control);

    std::vector<field> fields;
    marks::rule last_rule;
    std::vector<place> places;
    std::vector<std::pair<const QLineEdit*, std::vector<marks::range>>> line_marks;
    std::size_t current = 0;
    bool visited = false; // the first F3 goes to the first mark
};
