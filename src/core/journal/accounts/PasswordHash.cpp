#include "core/journal/accounts/PasswordHash.h"

#include <QCryptographicHash>

#include <sodium.h>

namespace {

// libsodium picks its implementations once, before any other call; it may be called again.
bool SodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// The password's bytes, wiped when they go: a copy in clear lives no longer than the call.
class SecretBytes
{
public:
    explicit SecretBytes(const QString &text)
        : m_bytes(text.toUtf8())
    { }
    ~SecretBytes() { sodium_memzero(m_bytes.data(), static_cast<std::size_t>(m_bytes.size())); }
    SecretBytes(const SecretBytes &) = delete;
    SecretBytes &operator=(const SecretBytes &) = delete;

    const char *data() const { return m_bytes.constData(); }
    unsigned long long size() const { return static_cast<unsigned long long>(m_bytes.size()); }

private:
    QByteArray m_bytes;
};

} // namespace

std::optional<QString> PasswordHash::make(const QString &password)
{
    if (!SodiumReady())
        return std::nullopt;
    const SecretBytes secret(password);
    char hash[crypto_pwhash_STRBYTES] = {};
    if (crypto_pwhash_str(hash, secret.data(), secret.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        return std::nullopt;
    return QString::fromLatin1(hash);
}

bool PasswordHash::check(const QString &hash, const QString &password)
{
    const QByteArray stored = hash.toLatin1();
    if (!SodiumReady() || stored.isEmpty() || stored.size() >= crypto_pwhash_STRBYTES)
        return false;
    const SecretBytes secret(password);
    return crypto_pwhash_str_verify(stored.constData(), secret.data(), secret.size()) == 0;
}

QByteArray PasswordHash::digest(const QString &hash)
{
    return QCryptographicHash::hash(hash.toLatin1(), QCryptographicHash::Sha256);
}
