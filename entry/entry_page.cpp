#include "entry_page.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace entry_page {
namespace {

// Typed line breaks are CRLF or LF; a paragraph each on paper.
QString paragraphs(const QString& text) { return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

void add_field(QTextCursor& cursor, const QString& caption, const QString& text, const QTextCharFormat& label_format,
               const QTextCharFormat& text_format)
{
    QTextBlockFormat spaced;
    spaced.setTopMargin(10);
    cursor.insertBlock(spaced);
    cursor.insertText(caption, label_format);
    QTextBlockFormat body;
    body.setLeftMargin(12);
    const QStringList lines = paragraphs(text).split(u'\n');
    for (const QString& line : lines) {
        cursor.insertBlock(body);
        cursor.insertText(line, text_format);
    }
}

} // namespace

std::unique_ptr<QTextDocument> compose(const entry& shown)
{
    auto document = std::make_unique<QTextDocument>();
    // Liberation Serif has every Croatian letter; Symbola the emoji (outlines, which a PDF keeps
    // as text; the colour emoji fonts are pictures).
    QFont font(QStringLiteral("Liberation Serif"), 11);
    font.setFamilies({QStringLiteral("Liberation Serif"), QStringLiteral("Symbola")});
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    QTextCursor cursor(document.get());

    QTextCharFormat title;
    title.setFontPointSize(16);
    title.setFontWeight(QFont::Bold);
    QTextCharFormat label;
    label.setFontFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Symbola")});
    label.setFontPointSize(9);
    label.setFontWeight(QFont::Bold);
    QTextCharFormat text;
    text.setFontPointSize(11);

    cursor.insertText(QStringLiteral("FAQ entry %1").arg(shown.rbr), title);
    QTextBlockFormat dated;
    dated.setTopMargin(4);
    cursor.insertBlock(dated);
    QTextCharFormat date = text;
    date.setFontPointSize(10);
    cursor.insertText(QStringLiteral("Date: ") + shown.datum, date);

    add_field(cursor, QStringLiteral("Question"), shown.pitanje, label, text);
    add_field(cursor, QStringLiteral("Product"), shown.proizvod, label, text);
    add_field(cursor, QStringLiteral("LOT"), shown.lot, label, text);
    add_field(cursor, QStringLiteral("Keywords"), shown.adresa, label, text);
    add_field(cursor, QStringLiteral("Answer"), shown.odgovor, label, text);
    return document;
}

void print(const entry& shown, QPagedPaintDevice& device)
{
    const std::unique_ptr<QTextDocument> document = compose(shown);
    // Margins of 2 cm, within which the document lays itself out page by page.
    device.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    document->print(&device);
}

} // namespace entry_page
