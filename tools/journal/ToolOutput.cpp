#include "ToolOutput.h"

using namespace Qt::StringLiterals;

void Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void PrintError(std::FILE *err, const QString &text)
{
    Print(err, u"velmora-journal: "_s + text + u'\n');
}

// Typed texts go to a terminal: a tab or a line end would shift the columns, an escape sequence
// would act on the terminal, a direction mark would reorder what is shown. Each is printed as a
// visible escape, and a backslash as two, so that what is shown reads back as what was typed.
QString TerminalVisible(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool bidi = (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069)
            || code == 0x200E || code == 0x200F;
        if (code == u'\\')
            shown += u"\\\\"_s;
        else if (code == u'\t')
            shown += u"\\t"_s;
        else if (code == u'\n')
            shown += u"\\n"_s;
        else if (code == u'\r')
            shown += u"\\r"_s;
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line
                 || c.category() == QChar::Separator_Paragraph || bidi)
            shown += (code < 0x100 ? u"\\x%1"_s : u"\\u%1"_s)
                         .arg(code, code < 0x100 ? 2 : 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}
