#include "core/settings/ProfileFile.h"

#include "core/text/Gb18030.h"

#include <limits>

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

bool SameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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

ProfileFile::ProfileFile(QByteArray content)
    : m_content(std::move(content))
{
    Parse();
}

// Lines without their line ends; a final line without a line end counts too.
void ProfileFile::Parse()
{
    m_lines.clear();
    const QByteArrayView content(m_content);
    qsizetype start = 0;
    while (start < content.size()) {
        Line line;
        line.begin = start;
        qsizetype end = m_content.indexOf('\n', start);
        line.end = end < 0 ? content.size() : end + 1;
        if (end < 0)
            end = content.size();
        if (end > start && content[end - 1] == '\r')
            --end;
        line.textEnd = end;
        const QByteArrayView text = Trimmed(content.sliced(start, end - start));
        const qsizetype equals = text.indexOf('=');
        if (text.isEmpty()) {
            line.kind = Line::Kind::Blank;
        } else if (text.front() == '[') {
            line.kind = Line::Kind::Section;
            // Decoded before the search: a trail byte of a double-byte character may be 0x5D, "]".
            const QString name = Gb18030::Decode(text.sliced(1));
            const qsizetype close = name.indexOf(u']');
            line.name = (close < 0 ? name : name.first(close)).trimmed();
        } else if (text.front() != ';' && equals >= 0) {
            line.kind = Line::Kind::Key;
            line.name = Gb18030::Decode(Trimmed(text.first(equals)));
            const QByteArrayView value = Trimmed(text.sliced(equals + 1));
            line.valueBegin = value.data() - content.data();
            line.valueEnd = line.valueBegin + value.size();
        } else {
            line.kind = Line::Kind::Other;
        }
        m_lines.append(line);
        start = line.end;
    }
}

// The first section of that name and the first key of that name in it, as the platform's own
// profile functions find them.
ProfileFile::Location ProfileFile::Locate(QStringView section, QStringView key) const
{
    Location where;
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == Line::Kind::Section) {
            if (inSection)
                break;
            if (SameName(line.name, section)) {
                inSection = true;
                where.sectionLine = i;
                where.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (line.kind != Line::Kind::Blank)
            where.lastEntryLine = i;
        if (where.keyLine < 0 && line.kind == Line::Kind::Key && SameName(line.name, key))
            where.keyLine = i;
    }
    return where;
}

const ProfileFile::Line *ProfileFile::Find(QStringView section, QStringView key) const
{
    const Location where = Locate(section, key);
    return where.keyLine < 0 ? nullptr : &m_lines[where.keyLine];
}

QString ProfileFile::ReadString(QStringView section, QStringView key, const QString &defaultValue,
                                int bufferSize) const
{
    const Line *line = Find(section, key);
    const QString text = line ? Gb18030::Decode(QByteArrayView(m_content).sliced(
                             line->valueBegin, line->valueEnd - line->valueBegin))
                              : defaultValue;
    return Gb18030::TruncateToBytes(text, qsizetype(bufferSize) - 1);
}

int ProfileFile::ReadInt(QStringView section, QStringView key, int defaultValue) const
{
    const Line *line = Find(section, key);
    if (!line)
        return defaultValue;
    const QByteArrayView text =
        QByteArrayView(m_content).sliced(line->valueBegin, line->valueEnd - line->valueBegin);
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

    const QByteArray &original = m_content;
    const QByteArray eol = original.isEmpty() || original.contains("\r\n")
        ? QByteArrayLiteral("\r\n")
        : QByteArrayLiteral("\n");
    const QByteArray keyLine = Gb18030::Encode(key) + '=' + Gb18030::Encode(flatValue);
    const auto withEol = [&](QByteArray bytes) {
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += eol;
        return bytes;
    };

    // Everything outside the one changed or added line is copied byte for byte.
    const Location where = Locate(section, key);
    QByteArray content;
    if (where.keyLine >= 0) {
        const Line &line = m_lines[where.keyLine];
        const QByteArray ownEol = original.mid(line.textEnd, line.end - line.textEnd);
        content = original.first(line.begin) + keyLine + (ownEol.isEmpty() ? eol : ownEol)
            + original.sliced(line.end);
    } else if (where.sectionLine >= 0) {
        const qsizetype split = m_lines[where.lastEntryLine].end;
        content = withEol(original.first(split)) + keyLine + eol + original.sliced(split);
    } else {
        content = withEol(original) + '[' + Gb18030::Encode(section) + ']' + eol + keyLine + eol;
    }
    m_content = std::move(content);
    Parse();
    return true;
}
