#pragma once
// A multi-line edit that gives back exactly the text it was given, changed only where the user
// edited it.
//
// Qt's text document turns every line break ("\r\n", "\r", "\n", U+2029) into its own block
// separator. An entry written by another client (Windows line breaks, mixed ones, control
// characters) would otherwise be rewritten wholesale by one typed character. This edit keeps, for
// each character the document shows, where it came from in the given text; after an edit it
// gives back the given text with only the edited stretch replaced by what the user typed there.

#include <QPlainTextEdit>
#include <QString>
#include <vector>

class multiline_edit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit multiline_edit(QWidget* parent = nullptr);

    void set_text(const QString& text);
    QString text() const;

private:
    // The document's text with every character kept; blocks joined by "\n".
    QString document_text() const;
    // Pairs each character of `shown` with its stretch of `given`.
    void map_shown_to_given();

    QString given; // the text as set
    QString shown; // what the document made of it
    // For each character of `shown`: where its stretch of `given` starts and ends. One more
    // start, at the end of `given`, closes the list.
    std::vector<qsizetype> starts;
    std::vector<qsizetype> ends;
};
