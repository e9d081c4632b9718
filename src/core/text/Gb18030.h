#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Settings file and text reports are GB18030, a superset of code page 936 (GBK): files of
// existing installations read back unchanged and every character a user types survives.
namespace Gb18030 {

QByteArray Encode(QStringView text);
QString Decode(QByteArrayView bytes);

// Number of bytes that text takes in the encoding.
qsizetype EncodedSize(QStringView text);

// The longest leading part of text whose encoding takes at most maxBytes bytes. Whole characters
// only: a double- or four-byte character is never cut in half.
QString TruncateToBytes(QStringView text, qsizetype maxBytes);

} // namespace Gb18030
