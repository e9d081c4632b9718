#pragma once

#include "core/report/OutputFile.h"
#include "core/report/RunReport.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// The PDF report of a run: A4, in the language of the installed translation, with its fonts
// embedded (subsets). velmora-journal and the history window write it through the same calls, so
// they give the same document; only the creation time that Qt stamps into it differs. Needs a
// QGuiApplication (the offscreen platform will do) and runs on its thread.
class PdfReport
{
    Q_DECLARE_TR_FUNCTIONS(PdfReport)

public:
    struct Result
    {
        OutputFile::Failure failure = OutputFile::Failure::None;
        QString text; // why, when it failed

        bool ok() const { return failure == OutputFile::Failure::None; }
    };

    // The document's bytes; empty when it could not be made.
    static QByteArray render(const RunReport &report);
    // Written whole or not at all, and only over a regular file.
    static Result write(const QString &path, const RunReport &report);
};
