#include "core/report/TextReport.h"

#include "core/text/Gb18030.h"
#include "core/text/StringTable.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <functional>

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// Opens file, writes bytes and lets finish close it; finish says whether everything was stored.
TextReportResult WriteAll(QFileDevice &file, const QByteArray &bytes,
                          const std::function<bool()> &finish)
{
    TextReportResult result;
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        result.outcome = TextReportResult::Outcome::CreateFailed;
        result.cause = FileErrorCauseFromErrno(errno);
        if (result.cause == FileErrorCause::None)
            result.cause = FileErrorCause::Generic;
    } else if (file.write(bytes) != bytes.size() || !finish()) {
        result.outcome = TextReportResult::Outcome::WriteFailed;
        result.cause = FileErrorCause::DiskFull;
    }
    return result;
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
    const QByteArray bytes = TextReportBytes(content);
    // A device or a pipe is written into: a new file renamed over it would take its place.
    if (const QFileInfo target(path); target.exists() && !target.isFile()) {
        QFile device(path);
        return WriteAll(device, bytes, [&device] {
            device.close();
            return device.error() == QFileDevice::NoError;
        });
    }
    // The report goes to a temporary file beside the old one, which it replaces only when every
    // byte is on disk: a full disk or a crash leaves the old report whole. Where the directory
    // refuses the temporary file (a shared folder in which only this file was made writable),
    // the report is written in place instead, the one way it can be saved there.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // Qt 6.4's commit() ignores a failed flush of its buffer and renames the cut file over the
    // old one, so the buffer is flushed, and checked, first.
    return WriteAll(file, bytes, [&file] { return file.flush() && file.commit(); });
}
