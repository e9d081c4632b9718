#pragma once

#include "core/report/ReportContent.h"

#include <QString>

// Causes of a failed report file, in the order of their message texts 61856 to 61870.
enum class FileErrorCause : int {
    None = 0,
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
};

struct TextReportResult
{
    enum class Outcome {
        Written,
        CreateFailed, // nothing written; show messageId() with an exclamation icon
        // An earlier file of that name is kept whole (unless it had to be written in place);
        // show messageId() with a stop icon.
        WriteFailed,
    };

    Outcome outcome = Outcome::Written;
    FileErrorCause cause = FileErrorCause::None;

    bool ok() const { return outcome == Outcome::Written; }
    // The string-table entry to show, with the file's path in place of "%1"; 0 when written.
    int messageId() const;
};

// The report in the text-file format: GB18030, CR LF line ends, no byte-order mark.
QByteArray TextReportBytes(const ReportContent &content);

// Writes the report to path, replacing an earlier file only once the new one is complete. Only a
// regular file is replaced: anything else at path is refused as access denied and left as it is.
TextReportResult WriteTextReport(const QString &path, const ReportContent &content);

// The cause for an operating-system error number of a failed create.
FileErrorCause FileErrorCauseFromErrno(int error);
