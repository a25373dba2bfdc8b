#include "entry_preview.h"

#include <QTextCharFormat>
#include <QTextCursor>

entry_preview::entry_preview(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    // Keyboard users read it too: the cursor moves through it, Tab moves on.
    setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    setTabChangesFocus(true);
}

void entry_preview::show_entry(const statements::entry_texts& entry)
{
    clear();
    QTextCursor cursor(document());
    QTextCharFormat caption;
    caption.setFontWeight(QFont::Bold);
    const QTextCharFormat text;
    const std::pair<const char*, const QString*> parts[] = {{"Keywords:", &entry.adresa},
                                                            {"Question:", &entry.pitanje},
                                                            {"LOT:", &entry.lot},
                                                            {"Product:", &entry.proizvod},
                                                            {"Notes:", &entry.odgovor}};
    bool first = true;
    for (const auto& [name, value] : parts) {
        if (!first)
            cursor.insertBlock();
        first = false;
        cursor.insertText(QString::fromLatin1(name), caption);
        cursor.insertBlock();
        // Inserted as text: nothing in an entry is read as markup.
        cursor.insertText(*value, text);
    }
    moveCursor(QTextCursor::Start);
}

void entry_preview::show_note(const QString& note)
{
    clear();
    QTextCursor(document()).insertText(note);
}
