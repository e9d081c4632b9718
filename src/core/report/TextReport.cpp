#include "core/report/TextReport.h"

#include "core/report/OutputFile.h"
#include "core/text/Gb18030.h"
#include "core/text/StringTable.h"

#include <cerrno>

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

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
    const auto line = [&bytes](const QString &text) {
        bytes += Gb18030::Encode(text) + kLineEnd;
    };
    line(ReportTitleLine(content));
    line(ReportLabelLine(StringId::UnitLine, content.unit));
    line(ReportLabelLine(StringId::DateLine, content.date));
    line(ReportLabelLine(StringId::SampleNameLine, content.sampleName));
    line(ReportLabelLine(StringId::BatchNoLine, content.batchNo));

    const QByteArray label = Gb18030::Encode(QString(LoadString(StringId::OrderLabel) + u' '));
    bytes += label;
    // The run of blanks is as long as the label in bytes, whatever the width of the numbers.
    const QByteArray blanks(label.size(), ' ');
    for (qsizetype i = 0; i < content.values.size(); ++i) {
        if (i > 0)
            bytes += blanks;
        line(ReportValueLine(content, static_cast<int>(i) + 1));
    }
    bytes += kLineEnd;
    if (content.values.isEmpty())
        return bytes;
    line(ReportLabelLine(StringId::MeanLine, content.mean));
    line(ReportLabelLine(StringId::DeviationLine, content.deviation));
    line(ReportLabelLine(StringId::InspectorLine, content.inspector));
    return bytes;
}

TextReportResult WriteTextReport(const QString &path, const ReportContent &content)
{
    // A full disk or a crash leaves the old report whole; only where the folder refuses the
    // temporary file is the report written in place, the one way it can be saved there.
    OutputFile file(path);
    file.setDirectWriteFallback(true);
    if (file.open() && file.write(TextReportBytes(content)) && file.commit())
        return {};
    TextReportResult result;
    switch (file.failure()) {
    case OutputFile::Failure::None:
    case OutputFile::Failure::CannotWrite:
        result.outcome = TextReportResult::Outcome::WriteFailed;
        result.cause = FileErrorCause::DiskFull;
        break;
    case OutputFile::Failure::NotRegularFile:
        result.outcome = TextReportResult::Outcome::CreateFailed;
        result.cause = FileErrorCause::AccessDenied;
        break;
    case OutputFile::Failure::CannotCreate:
        result.outcome = TextReportResult::Outcome::CreateFailed;
        result.cause = FileErrorCauseFromErrno(file.createError());
        if (result.cause == FileErrorCause::None)
            result.cause = FileErrorCause::Generic;
        break;
    }
    return result;
}
