#include "core/settings/Settings.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Keys = SettingsKeys;

namespace {

QString NotARegularFile()
{
    return Settings::tr("不是普通文件");
}

QString TooLarge()
{
    return Settings::tr("大于 1 MiB");
}

// The file's bytes, empty when there is no file. False, with the reason, when something is there
// that must not be read: a device such as /dev/zero never ends, a FIFO blocks its reader until a
// writer comes, and a huge file would be held in memory whole.
bool ReadBounded(const QString &path, QByteArray &bytes, QString &reason)
{
    const QFileInfo info(path); // follows links: a link to a regular file is read
    if (!info.exists())
        return true;
    if (!info.isFile()) {
        reason = NotARegularFile();
        return false;
    }
    if (info.size() > Settings::kMaxFileSize) {
        reason = TooLarge();
        return false;
    }
    QFile file;
#ifdef Q_OS_UNIX
    // Checked once more on the open file, as the name may point elsewhere by now; O_NONBLOCK
    // keeps a FIFO put there meanwhile from holding the open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = qt_error_string(errno);
        return false;
    }
    struct stat status = {};
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason = file.errorString();
        return false;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        reason = NotARegularFile();
        return false;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
#endif
    bytes = file.read(Settings::kMaxFileSize + 1);
    if (bytes.size() > Settings::kMaxFileSize) {
        bytes.clear();
        reason = TooLarge();
        return false;
    }
    return true;
}

} // namespace

Settings::Settings(QString path, QObject *parent)
    : QObject(parent)
    , m_path(std::move(path))
{ }

void Settings::Load()
{
    QByteArray bytes;
    QString reason;
    m_bSavable = ReadBounded(m_path, bytes, reason);
    m_document = ProfileFile(bytes);
    if (!m_bSavable)
        Report(Problem::Unreadable, reason);
}

QString Settings::Read(const Keys::TextKey &key) const
{
    return Read(key, key.defaultValue.toString());
}

QString Settings::Read(const Keys::TextKey &key, const QString &defaultValue) const
{
    return m_document.ReadString(key.section, key.key, defaultValue, key.bufferSize);
}

int Settings::Read(const Keys::IntKey &key) const
{
    return m_document.ReadInt(key.section, key.key, key.defaultValue);
}

QString Settings::Read(const Keys::PortKey &key) const
{
    return m_document.ReadString(Keys::kSectionPorts, key.portName, {}, Keys::kPortBufferSize);
}

Settings::Change::Change(const Keys::TextKey &key, QString text)
    : section(key.section)
    , key(key.writeKey.isEmpty() ? key.key : key.writeKey)
    , value(std::move(text))
{ }

Settings::Change::Change(const Keys::IntKey &key, int number)
    : section(key.section)
    , key(key.key)
    , value(QString::number(number))
{ }

Settings::Change::Change(const Keys::PortKey &key, QString device)
    : section(Keys::kSectionPorts)
    , key(key.portName)
    , value(std::move(device))
{ }

bool Settings::Write(std::initializer_list<Change> changes)
{
    const QByteArray before = m_document.Content();
    bool stored = true;
    for (const Change &change : changes)
        stored &= m_document.WriteString(change.section, change.key, change.value);
    // Nothing to save when nothing changed: a start with the login of last time writes nothing.
    return (m_document.Content() == before || Save()) && stored;
}

bool Settings::Write(const Keys::TextKey &key, const QString &value)
{
    return Write({ { key, value } });
}

bool Settings::Write(const Keys::IntKey &key, int value)
{
    return Write({ { key, value } });
}

bool Settings::Write(const Keys::PortKey &key, const QString &device)
{
    return Write({ { key, device } });
}

bool Settings::Save()
{
    // A file that was not read must not be replaced by what the program made of its absence.
    if (!m_bSavable)
        return false;
    const QByteArray &content = m_document.Content();
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return true;
    QString reason = file.errorString();
    // The directory refused the temporary file or its rename, as a program folder that only an
    // administrator may change does, while the file in it may be writable for users: write it in
    // place. That is not atomic, so a write that failed (a full disk, reported as a resource
    // error) never falls back: it would destroy the old file as well.
    const QFileDevice::FileError error = file.error();
    const bool writeFailed =
        error == QFileDevice::WriteError || error == QFileDevice::ResourceError;
    if (!writeFailed && QFileInfo(m_path).isFile()) {
        QFile direct(m_path);
        if (direct.open(QIODevice::WriteOnly) && direct.write(content) == content.size()
            && direct.flush())
            return true;
        reason = direct.errorString();
    }
    Report(Problem::Unsaved, reason);
    return false;
}

void Settings::Report(Problem kind, const QString &reason)
{
    if (m_bReported)
        return;
    m_bReported = true;
    emit problem(kind, reason);
}
