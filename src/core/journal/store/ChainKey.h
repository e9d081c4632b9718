#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QByteArray>
#include <QString>

// The station's secret that keys the journal's chain: 32 random bytes in a file of their own
// beside the settings file, readable by the user who runs the program only, never inside the
// journal. Whoever edits the journal without it cannot make the keyed rows agree again.
class ChainKey
{
public:
    static constexpr qsizetype kSize = 32;
    static constexpr QStringView kFileName = u"VelmoraChain.key";

    // Reads the key at path. A key that is missing is Error::CannotOpen; one of another size
    // or a path that is not a regular file is Error::Corrupt.
    static JournalResult load(const QString &path, QByteArray &key);
    // The same, but a missing key is created first. Two processes starting together get the
    // same key: it is created under a lock and written whole or not at all.
    static JournalResult loadOrCreate(const QString &path, QByteArray &key);
};
