#include "text_encoding.h"

#include <QByteArray>
#include <cerrno>
#include <iconv.h>

namespace text_encoding {

namespace {

// Converts to UTF-8; nothing on any invalid input.
std::optional<QByteArray> to_utf8(QByteArrayView bytes, const QString& name)
{
    const iconv_t converter = iconv_open("UTF-8", name.toLatin1().constData());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    QByteArray out(bytes.size() * 4 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = size_t(bytes.size());
    char* target = out.data();
    size_t out_left = size_t(out.size());
    bool valid = true;
    while (in_left > 0) {
        if (iconv(converter, &in, &in_left, &target, &out_left) != size_t(-1))
            continue;
        if (errno != E2BIG) { // EILSEQ or EINVAL: not text of this encoding
            valid = false;
            break;
        }
        const qsizetype written = target - out.data();
        out.resize(out.size() * 2);
        target = out.data() + written;
        out_left = size_t(out.size() - written);
    }
    iconv_close(converter);
    if (!valid)
        return std::nullopt;
    out.truncate(target - out.data());
    return out;
}

} // namespace

bool usable(const QString& name)
{
    const QByteArray ascii = "\t\r\n ,\"09AZaz~";
    const std::optional<QByteArray> decoded = to_utf8(ascii, name);
    return decoded && *decoded == ascii;
}

std::optional<QString> decode(QByteArrayView bytes, const QString& name)
{
    const std::optional<QByteArray> utf8 = to_utf8(bytes, name);
    if (!utf8)
        return std::nullopt;
    QString text = QString::fromUtf8(*utf8);
    if (text.isNull())
        text = QStringLiteral("");
    return text;
}

} // namespace text_encoding
