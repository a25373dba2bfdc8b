#pragma once
// Text of another encoding, turned into Unicode by the C library's iconv, which knows the old
// Windows code pages (cp1250 for Central European text) as well as UTF-8 and the ISO sets.
// Only encodings that write the characters of ASCII as ASCII bytes are taken: the CSV reader
// finds commas, quotes and line breaks in the bytes before the text is decoded.

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace text_encoding {

// The encoding is known and keeps ASCII as it is.
bool usable(const QString& name);

// The bytes as text; nothing when they are not valid in the encoding (a byte the encoding does
// not define, an incomplete or malformed sequence).
std::optional<QString> decode(QByteArrayView bytes, const QString& name);

} // namespace text_encoding
