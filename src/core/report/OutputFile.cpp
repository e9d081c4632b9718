#include "core/report/OutputFile.h"

#include <QFileInfo>

#include <cerrno>

OutputFile::OutputFile(const QString &path)
    : m_file(path)
{ }

bool OutputFile::targetRefused() const
{
    // Only the path's metadata is read: opening a FIFO to look at it would block.
    const QFileInfo target(m_file.fileName());
    return target.exists() && !target.isFile();
}

bool OutputFile::fail(Failure failure)
{
    if (m_file.isOpen())
        m_file.cancelWriting();
    m_failure = failure;
    return false;
}

bool OutputFile::open()
{
    if (targetRefused())
        return fail(Failure::NotRegularFile);
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly)) {
        m_createError = errno;
        return fail(Failure::CannotCreate);
    }
    return true;
}

bool OutputFile::write(const QByteArray &bytes)
{
    if (m_failure != Failure::None)
        return false;
    return m_file.write(bytes) == bytes.size() || fail(Failure::CannotWrite);
}

bool OutputFile::commit()
{
    if (m_failure != Failure::None)
        return false;
    // Qt 6.4's commit() ignores a failed flush of its buffer and renames the cut file over the
    // old one, so the buffer is flushed, and checked, first.
    if (!m_file.flush())
        return fail(Failure::CannotWrite);
    // What stood at the path when the file was opened may have been replaced since.
    if (targetRefused())
        return fail(Failure::NotRegularFile);
    return m_file.commit() || fail(Failure::CannotWrite);
}

QString OutputFile::errorString() const
{
    switch (m_failure) {
    case Failure::None:
        return {};
    case Failure::NotRegularFile:
        return tr("不是普通文件（管道、设备或文件夹），未作改动");
    case Failure::CannotCreate:
    case Failure::CannotWrite:
        break;
    }
    return m_file.errorString();
}
