#include "core/report/TextReport.h"

#include "core/text/Gb18030.h"
#include "core/text/StringTable.h"

#include <QFile>

#include <cerrno>

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// The report as the writes of the file format: every line, the order label and each value line
// with its blanks are one write each.
QList<QByteArray> ReportWrites(const ReportContent &content)
{
    QList<QByteArray> writes;
    const auto line = [&](const QString &text) {
        writes.append(Gb18030::Encode(text) + kLineEnd);
    };
    line(ReportTitleLine(content));
    line(ReportLabelLine(StringId::UnitLine, content.unit));
    line(ReportLabelLine(StringId::DateLine, content.date));
    line(ReportLabelLine(StringId::SampleNameLine, content.sampleName));
    line(ReportLabelLine(StringId::BatchNoLine, content.batchNo));

    const QByteArray label = Gb18030::Encode(QString(LoadString(StringId::OrderLabel) + u' '));
    writes.append(label);
    // The run of blanks is as long as the label in bytes, whatever the width of the numbers.
    const QByteArray blanks(label.size(), ' ');
    for (qsizetype i = 0; i < content.values.size(); ++i) {
        const QByteArray valueLine =
            Gb18030::Encode(ReportValueLine(content, static_cast<int>(i) + 1)) + kLineEnd;
        writes.append(i == 0 ? valueLine : blanks + valueLine);
    }
    writes.append(kLineEnd);
    if (content.values.isEmpty())
        return writes;
    line(ReportLabelLine(StringId::MeanLine, content.mean));
    line(ReportLabelLine(StringId::DeviationLine, content.deviation));
    line(ReportLabelLine(StringId::InspectorLine, content.inspector));
    return writes;
}

} // namespace

int TextReportResult::messageId() const
{
    switch (outcome) {
    case Outcome::Written:
        return 0;
    case Outcome::CreateFailed:
        return StringId::FileErrorBase + static_cast<int>(cause);
    case Outcome::WriteFailed:
        return StringId::FileDiskFull;
    }
    return 0;
}

FileErrorCause FileErrorCauseFromErrno(int error)
{
    switch (error) {
    case 0:
        return FileErrorCause::None;
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return FileErrorCause::BadPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return FileErrorCause::AccessDenied;
    case EMFILE:
    case ENFILE:
        return FileErrorCause::TooManyOpenFiles;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return FileErrorCause::DiskFull;
    case EIO:
        return FileErrorCause::HardIO;
    case EBUSY:
    case ETXTBSY:
        return FileErrorCause::SharingViolation;
    case EBADF:
        return FileErrorCause::InvalidFile;
    default:
        return FileErrorCause::Generic;
    }
}

QByteArray TextReportBytes(const ReportContent &content)
{
    QByteArray bytes;
    for (const QByteArray &write : ReportWrites(content))
        bytes += write;
    return bytes;
}

TextReportResult WriteTextReport(const QString &path, const ReportContent &content)
{
    TextReportResult result;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const int error = errno;
        result.outcome = TextReportResult::Outcome::CreateFailed;
        result.cause = FileErrorCauseFromErrno(error);
        if (result.cause == FileErrorCause::None)
            result.cause = FileErrorCause::Generic;
        return result;
    }
    // Each write goes to the system at once, so a full disk stops the report at the line where
    // it happens and the file keeps every line before it.
    for (const QByteArray &write : ReportWrites(content)) {
        if (file.write(write) != write.size() || !file.flush()) {
            result.outcome = TextReportResult::Outcome::WriteFailed;
            result.cause = FileErrorCause::DiskFull;
            file.close();
            return result;
        }
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        result.outcome = TextReportResult::Outcome::WriteFailed;
        result.cause = FileErrorCause::DiskFull;
    }
    return result;
}
