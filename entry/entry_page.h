#pragma once
// An entry as printed: number and date at the head, then question, product, LOT, keywords and
// the answer, in a plain page layout. The answer flows over as many pages as it needs; the
// pages are numbered at the foot.

#include <QString>
#include <memory>

class QPagedPaintDevice;
class QTextDocument;

namespace entry_page {

struct entry {
    QString rbr;   // as the window holds it
    QString datum; // mm/dd/yyyy
    QString pitanje, proizvod, lot, adresa, odgovor;
};

// The page's text, laid out for any paint device.
std::unique_ptr<QTextDocument> compose(const entry& shown);

// Composes and prints the entry on the device (a printer, or a PDF file).
void print(const entry& shown, QPagedPaintDevice& device);

} // namespace entry_page
