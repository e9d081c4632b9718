#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

// A private-profile document in memory: "[section]" lines open sections, "key=value" lines
// follow. Sections and keys match without regard to case and a missing key gives the default.
// The bytes are GB18030; they are split into lines once per change, and a write keeps every
// line but the one it replaces or adds byte for byte. Reading and saving the file is Settings'.
class ProfileFile
{
public:
    ProfileFile() = default;
    explicit ProfileFile(QByteArray content);

    const QByteArray &Content() const { return m_content; }

    // At most bufferSize - 1 bytes of the value (or of the default), whole characters only.
    QString ReadString(QStringView section, QStringView key, const QString &defaultValue,
                       int bufferSize) const;
    // The value's leading decimal number (a leading minus allowed), 0 when the value does not
    // begin with one; bounded to the range of int.
    int ReadInt(QStringView section, QStringView key, int defaultValue) const;
    // Adds section and key as needed and replaces an existing key's line in place. False, and
    // nothing changed, when the section or key cannot be stored as a line.
    bool WriteString(QStringView section, QStringView key, const QString &value);

private:
    struct Line
    {
        enum class Kind { Blank, Other, Section, Key };
        Kind kind = Kind::Blank;
        qsizetype begin = 0; // first byte of the line
        qsizetype textEnd = 0; // behind the line's text, before its line end
        qsizetype end = 0; // behind its line end
        QString name; // of the section or key
        qsizetype valueBegin = 0;
        qsizetype valueEnd = 0;
    };
    struct Location
    {
        qsizetype sectionLine = -1; // -1: no such section
        qsizetype keyLine = -1; // -1: no such key in the section
        qsizetype lastEntryLine = -1; // last non-blank line of the section
    };

    void Parse();
    Location Locate(QStringView section, QStringView key) const;
    const Line *Find(QStringView section, QStringView key) const;

    QByteArray m_content;
    QList<Line> m_lines;
};
