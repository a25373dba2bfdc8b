#pragma once
// A multi-line edit that gives back exactly the text it was given.
//
// Qt's text document turns every line break ("\r\n", "\r", U+2029) into its own block separator,
// and its plain-text export turns no-break spaces and line separators into ordinary ones. An entry
// written by an older client with Windows line breaks would silently change on every save. This
// edit hands back the text as it was set while the user has not changed it, and otherwise the
// document's text with the characters kept and the line breaks written the way the entry had them.

#include <QPlainTextEdit>
#include <QString>

class multiline_edit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit multiline_edit(QWidget* parent = nullptr);

    void set_text(const QString& text);
    QString text() const;

private:
    // The document's text with every character kept; blocks joined by "\n".
    QString document_text() const;

    QString given;     // the text as set
    QString shown;     // what the document made of it
};
