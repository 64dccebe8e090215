// SPDX-License-Identifier: GPL-3.0-or-later
// Where the LoTW password is kept: the desktop's secret store (GNOME Keyring, KWallet) through
// QtKeychain, never a file of ours. Behind this interface so that tests use a store in memory.
#pragma once

#include <QString>

namespace vz::ui {

enum class SecretResult {
    Ok,
    NotFound, // the store works but holds nothing under the key
    NoStore,  // no secret store on this desktop (or it refused): ask for the password each time
};

class SecretStore
{
public:
    virtual ~SecretStore() = default;
    virtual SecretResult read(const QString &key, QString &secret) = 0;
    virtual SecretResult write(const QString &key, const QString &secret) = 0;
    virtual SecretResult remove(const QString &key) = 0;
};

// QtKeychain under the service name `service`, never its insecure fallback (a plain file); each
// call waits for its job in a local event loop.
class KeychainSecretStore final : public SecretStore
{
public:
    explicit KeychainSecretStore(QString service) : m_service(std::move(service)) {}
    SecretResult read(const QString &key, QString &secret) override;
    SecretResult write(const QString &key, const QString &secret) override;
    SecretResult remove(const QString &key) override;

private:
    QString m_service;
};

// The service the LoTW password is kept under.
inline constexpr const char *kLotwSecretService = "VEZODovi LoTW";

} // namespace vz::ui
