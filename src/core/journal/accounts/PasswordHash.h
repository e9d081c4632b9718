#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Passwords as Argon2id hashes (libsodium's crypto_pwhash_str, at its interactive limits: a check
// takes a fraction of a second and 64 MiB), never kept in clear. The hash string carries its own
// salt and parameters. The journal's chained events name a digest of it, so that a hash replaced
// in the station's table no longer matches its event.
class PasswordHash
{
public:
    // None when the memory for it cannot be had.
    static std::optional<QString> make(const QString &password);
    static bool check(const QString &hash, const QString &password);
    // SHA-256 of the hash string.
    static QByteArray digest(const QString &hash);
};
