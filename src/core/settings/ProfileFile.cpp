#include "core/settings/ProfileFile.h"

#include "core/text/Gb18030.h"

#include <QFile>
#include <QList>
#include <QSaveFile>

#include <limits>
#include <optional>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView Trimmed(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && IsBlank(bytes[begin]))
        ++begin;
    while (end > begin && IsBlank(bytes[end - 1]))
        --end;
    return bytes.sliced(begin, end - begin);
}

// Lines of the file without their line ends; a final line without a line end counts too.
// rawEnds[i] is the offset just behind line i's own line end.
QList<QByteArrayView> SplitLines(const QByteArray &content, QList<qsizetype> *rawEnds = nullptr)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        const qsizetype next = end < 0 ? content.size() : end + 1;
        if (end < 0)
            end = content.size();
        if (end > start && content[end - 1] == '\r')
            --end;
        lines.append(QByteArrayView(content).sliced(start, end - start));
        if (rawEnds)
            rawEnds->append(next);
        start = next;
    }
    return lines;
}

// The section name when the line opens a section.
std::optional<QString> SectionName(QByteArrayView line)
{
    const QByteArrayView text = Trimmed(line);
    if (text.isEmpty() || text.front() != '[')
        return std::nullopt;
    // Decoded before the search: a trail byte of a double-byte character may be 0x5D, "]".
    const QString name = Gb18030::Decode(text.sliced(1));
    const qsizetype close = name.indexOf(u']');
    return (close < 0 ? name : name.first(close)).trimmed();
}

struct KeyLine
{
    QString key;
    QByteArrayView value;
};

std::optional<KeyLine> ParseKeyLine(QByteArrayView line)
{
    const QByteArrayView text = Trimmed(line);
    if (text.isEmpty() || text.front() == ';')
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return KeyLine { Gb18030::Decode(Trimmed(text.first(equals))),
                     Trimmed(text.sliced(equals + 1)) };
}

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Location
{
    qsizetype sectionLine = -1; // -1: no such section
    qsizetype keyLine = -1; // -1: no such key in the section
    qsizetype lastEntryLine = -1; // last non-blank line of the section
};

// The first section of that name and the first key of that name in it, as the platform's own
// profile functions find them.
Location Locate(const QList<QByteArrayView> &lines, QStringView section, QStringView key)
{
    Location where;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (inSection)
                break;
            if (SameName(*name, section)) {
                inSection = true;
                where.sectionLine = i;
                where.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!Trimmed(lines[i]).isEmpty())
            where.lastEntryLine = i;
        if (where.keyLine < 0) {
            const auto entry = ParseKeyLine(lines[i]);
            if (entry && SameName(entry->key, key))
                where.keyLine = i;
        }
    }
    return where;
}

std::optional<QByteArray> ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QByteArray> ReadValue(const QString &path, QStringView section, QStringView key)
{
    const auto content = ReadAll(path);
    if (!content)
        return std::nullopt;
    const QList<QByteArrayView> lines = SplitLines(*content);
    const Location where = Locate(lines, section, key);
    if (where.keyLine < 0)
        return std::nullopt;
    return ParseKeyLine(lines[where.keyLine])->value.toByteArray();
}

// A section or key that would not read back as itself cannot be stored.
bool IsStorableName(QStringView name, bool isSection)
{
    if (name.trimmed().isEmpty() || name.trimmed().size() != name.size())
        return false;
    for (const QChar c : name) {
        if (c == u'\r' || c == u'\n')
            return false;
        if (isSection ? c == u']' : c == u'=')
            return false;
    }
    if (!isSection && (name.front() == u'[' || name.front() == u';'))
        return false;
    return true;
}

} // namespace

ProfileFile::ProfileFile(QString path)
    : m_path(std::move(path))
{ }

QString ProfileFile::ReadString(QStringView section, QStringView key, const QString &defaultValue,
                                int bufferSize) const
{
    const auto value = ReadValue(m_path, section, key);
    const QString text = value ? Gb18030::Decode(*value) : defaultValue;
    return Gb18030::TruncateToBytes(text, qsizetype(bufferSize) - 1);
}

int ProfileFile::ReadInt(QStringView section, QStringView key, int defaultValue) const
{
    const auto value = ReadValue(m_path, section, key);
    if (!value)
        return defaultValue;
    const QByteArray &text = *value;
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative)
        ++i;
    // Saturate instead of overflowing on a hand-edited value with too many digits.
    constexpr long long kMax = std::numeric_limits<int>::max();
    constexpr long long kMin = -static_cast<long long>(std::numeric_limits<int>::min());
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kMin)
            magnitude = kMin;
    }
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(std::min(magnitude, kMax));
}

bool ProfileFile::WriteString(QStringView section, QStringView key, const QString &value)
{
    if (!IsStorableName(section, true) || !IsStorableName(key, false))
        return false;

    // A line break inside the value would start a new line, and so a key, of its own.
    QString flatValue = value;
    flatValue.replace(u'\r', u' ').replace(u'\n', u' ');

    const QByteArray original = ReadAll(m_path).value_or(QByteArray());
    QList<qsizetype> rawEnds;
    const QList<QByteArrayView> lines = SplitLines(original, &rawEnds);
    const QByteArray eol = original.isEmpty() || original.contains("\r\n")
        ? QByteArrayLiteral("\r\n")
        : QByteArrayLiteral("\n");
    const QByteArray keyLine = Gb18030::Encode(key) + '=' + Gb18030::Encode(flatValue);

    // Everything outside the one changed or added line is copied byte for byte.
    const auto lineStart = [&](qsizetype i) {
        return i == 0 ? 0 : rawEnds[i - 1];
    };
    const auto withEol = [&](QByteArray bytes) {
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += eol;
        return bytes;
    };
    const Location where = Locate(lines, section, key);
    QByteArray content;
    if (where.keyLine >= 0) {
        const qsizetype begin = lineStart(where.keyLine);
        const qsizetype textEnd = begin + lines[where.keyLine].size();
        const QByteArray ownEol = original.mid(textEnd, rawEnds[where.keyLine] - textEnd);
        content = original.first(begin) + keyLine + (ownEol.isEmpty() ? eol : ownEol)
            + original.sliced(rawEnds[where.keyLine]);
    } else if (where.sectionLine >= 0) {
        const qsizetype split = rawEnds[where.lastEntryLine];
        content = withEol(original.first(split)) + keyLine + eol + original.sliced(split);
    } else {
        content = withEol(original) + '[' + Gb18030::Encode(section) + ']' + eol + keyLine + eol;
    }

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size())
        return false;
    return file.commit();
}

QString ProfileFile::Read(const SettingsKeys::TextKey &key) const
{
    return ReadString(key.section, key.key, key.defaultValue.toString(), key.bufferSize);
}

int ProfileFile::Read(const SettingsKeys::IntKey &key) const
{
    return ReadInt(key.section, key.key, key.defaultValue);
}

bool ProfileFile::WriteInt(QStringView section, QStringView key, int value)
{
    return WriteString(section, key, QString::number(value));
}
