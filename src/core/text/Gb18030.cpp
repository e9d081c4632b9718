#include "core/text/Gb18030.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace {

// GB18030 keeps ASCII as it is. Text that holds nothing else is converted without the codec,
// whose tables (ICU's) are then never loaded: a settings file of plain keys and numbers is read
// and written without them.
bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool IsAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return uchar(b) < 0x80; });
}

// Bytes of one code point in GB18030: ASCII takes one, the BMP two or four, the rest four.
// One encoder serves a whole text: building it looks up the codec each time.
qsizetype CodePointSize(std::optional<QStringEncoder> &encoder, char32_t codePoint)
{
    if (codePoint < 0x80)
        return 1;
    if (codePoint > 0xFFFF)
        return 4;
    if (!encoder)
        encoder.emplace("GB18030");
    const char16_t unit = static_cast<char16_t>(codePoint);
    const QByteArray bytes = encoder->encode(QStringView(&unit, 1));
    return bytes.size();
}

} // namespace

namespace Gb18030 {

QByteArray Encode(QStringView text)
{
    if (IsAscii(text))
        return text.toLatin1();
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString Decode(QByteArrayView bytes)
{
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

qsizetype EncodedSize(QStringView text)
{
    return Encode(text).size();
}

QString TruncateToBytes(QStringView text, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return {};
    std::optional<QStringEncoder> encoder;
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        qsizetype units = 1;
        char32_t codePoint = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(c, text[i + 1]);
            units = 2;
        }
        const qsizetype size = CodePointSize(encoder, codePoint);
        if (used + size > maxBytes)
            break;
        used += size;
        i += units;
    }
    return text.first(i).toString();
}

} // namespace Gb18030
