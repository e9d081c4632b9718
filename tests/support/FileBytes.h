#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes, for comparing what the program wrote; empty when it cannot be read.
inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
