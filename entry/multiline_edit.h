#pragma once
// A multi-line edit that gives back exactly the text it was given, changed only where the user
// edited it.
//
// Qt's text document turns every line break ("\r\n", "\r", "\n", U+2029) into its own block
// separator. An entry written by another client (Windows line breaks, mixed ones, control
// characters) would otherwise be rewritten wholesale by one typed character. So the edit follows
// every change of the document and knows, for each character it shows, whether it is one it was
// given (and which stretch of the given text it stands for) or one the user typed. The text it
// gives back is the given text wherever the user left it alone.

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
    // Brings `current` and `origin` up to the document after a change: one change at a time is
    // one stretch replaced, found between the longest common start and end.
    void follow_change() const;

    QString given; // the text as set
    QString shown; // what the document made of it
    // For each character of `shown`: where its stretch of `given` starts and ends.
    std::vector<qsizetype> starts;
    std::vector<qsizetype> ends;

    // The document's text as last followed, and for each of its characters the index in `shown`
    // of the given character it is, or `typed`.
    static constexpr qsizetype typed = -1;
    mutable QString current;
    mutable std::vector<qsizetype> origin;
};
