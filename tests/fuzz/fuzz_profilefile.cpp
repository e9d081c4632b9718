// The settings document against any content and any section, key and value: reads never crash
// and respect the byte limit; a write that succeeds reads back as written (line breaks flattened,
// outer blanks trimmed, cut to the limit in whole characters), with keys matched without regard to
// case, and touches at most the one line it replaces or adds; a refused write leaves the content
// as it was.
#include "FuzzCheck.h"
#include "core/settings/ProfileFile.h"
#include "core/text/Gb18030.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString Text(FuzzedDataProvider &input, std::size_t maxBytes)
{
    return QString::fromStdString(input.ConsumeRandomLengthString(maxBytes));
}

// What a value reads back as: line breaks became blanks, blanks and tabs around it are not kept.
QString Stored(QString value, int bufferSize)
{
    static const QRegularExpression outerBlanks(QStringLiteral("^[ \t]+|[ \t]+\\z"));
    value.replace(u'\r', u' ').replace(u'\n', u' ').remove(outerBlanks);
    return Gb18030::TruncateToBytes(value, bufferSize - 1);
}

// The same name with its ASCII letters in the other case.
QString OtherCase(const QString &name)
{
    QString other = name;
    for (QChar &c : other)
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
            c = QChar(c.unicode() ^ 0x20);
    return other;
}

// Only one line of the old content may differ: everything before and after it stays byte for
// byte.
void CheckOneLineChanged(const QByteArray &before, const QByteArray &after)
{
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
           && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const QByteArrayView changed =
        QByteArrayView(before).sliced(prefix, before.size() - prefix - suffix);
    FUZZ_CHECK(changed.count('\n') <= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string content = input.ConsumeBool() ? input.ConsumeRandomLengthString(4096) : "";
    const QString section = Text(input, 40);
    const QString key = Text(input, 40);
    const QString value = Text(input, 400);
    const QString otherSection = input.ConsumeBool() ? section : Text(input, 40);
    const QString otherKey = Text(input, 40);
    const QString otherValue = Text(input, 400);
    const int bufferSize = input.ConsumeIntegralInRange(0, 300);
    const int number = input.ConsumeIntegral<int>();
    const int defaultNumber = input.ConsumeIntegral<int>();

    ProfileFile profile(QByteArray::fromStdString(content));
    FUZZ_CHECK(Gb18030::EncodedSize(profile.ReadString(section, key, value, bufferSize))
               <= std::max(0, bufferSize - 1));
    profile.ReadInt(section, key, defaultNumber);

    const QByteArray before = profile.Content();
    if (!profile.WriteString(section, key, value)) {
        FUZZ_CHECK(profile.Content() == before);
        return 0;
    }
    CheckOneLineChanged(before, profile.Content());
    const QString expected = Stored(value, bufferSize);
    FUZZ_CHECK(profile.ReadString(section, key, QStringLiteral("?"), bufferSize) == expected);
    FUZZ_CHECK(profile.ReadString(OtherCase(section), OtherCase(key), {}, bufferSize) == expected);

    const QByteArray beforeOther = profile.Content();
    if (profile.WriteString(otherSection, otherKey, otherValue)) {
        CheckOneLineChanged(beforeOther, profile.Content());
        FUZZ_CHECK(profile.ReadString(otherSection, otherKey, {}, bufferSize)
                   == Stored(otherValue, bufferSize));
        if (section.compare(otherSection, Qt::CaseInsensitive) != 0
            || key.compare(otherKey, Qt::CaseInsensitive) != 0)
            FUZZ_CHECK(profile.ReadString(section, key, {}, bufferSize) == expected);
    } else {
        FUZZ_CHECK(profile.Content() == beforeOther);
    }

    FUZZ_CHECK(profile.WriteString(section, key, QString::number(number)));
    FUZZ_CHECK(profile.ReadInt(OtherCase(section), key, defaultNumber) == number);
    return 0;
}
