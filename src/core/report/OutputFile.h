#pragma once

#include <QCoreApplication>
#include <QSaveFile>
#include <QString>

// A file the program writes for the user (a report, an export): written whole or not at all, and
// only where a regular file is or nothing is. A FIFO, a device or a folder at the path is
// refused and left as it is: the finished file would be renamed over it (as root even over
// /dev/full), and writing into a FIFO blocks until someone reads it.
class OutputFile
{
    Q_DECLARE_TR_FUNCTIONS(OutputFile)

public:
    enum class Failure {
        None,
        NotRegularFile, // something else than a regular file stands at the path
        CannotCreate,
        CannotWrite,
    };

    explicit OutputFile(const QString &path);

    // Where the folder refuses a temporary file but the file itself may be written (a shared
    // folder in which only this file was made writable), write it in place: the one way it can
    // be saved there, though no longer whole or not at all.
    void setDirectWriteFallback(bool enabled) { m_file.setDirectWriteFallback(enabled); }

    bool open();
    bool write(const QByteArray &bytes);
    // Puts the finished file in place; until then, and after any failure, an earlier file of the
    // same name stays as it was.
    bool commit();

    Failure failure() const { return m_failure; }
    // The system's error number of a failed create, 0 when there is none.
    int createError() const { return m_createError; }
    QString errorString() const;

private:
    bool fail(Failure failure);
    bool targetRefused() const;

    QSaveFile m_file;
    Failure m_failure = Failure::None;
    int m_createError = 0;
};
