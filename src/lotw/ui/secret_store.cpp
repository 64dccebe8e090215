// SPDX-License-Identifier: GPL-3.0-or-later
#include "lotw/ui/secret_store.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace vz::ui {

namespace {

// Starts the job (on the stack, so never deleting itself) and waits for it to finish.
SecretResult finish(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    job.start();
    if (!done)
        loop.exec();
    switch (job.error()) {
    case QKeychain::NoError:
        return SecretResult::Ok;
    case QKeychain::EntryNotFound:
        return SecretResult::NotFound;
    default:
        // No backend, access denied, the store locked and not opened: nothing kept this time.
        return SecretResult::NoStore;
    }
}

} // namespace

SecretResult KeychainSecretStore::read(const QString &key, QString &secret)
{
    QKeychain::ReadPasswordJob job(m_service);
    job.setKey(key);
    const SecretResult result = finish(job);
    if (result == SecretResult::Ok)
        secret = job.textData();
    return result;
}

SecretResult KeychainSecretStore::write(const QString &key, const QString &secret)
{
    QKeychain::WritePasswordJob job(m_service);
    job.setKey(key);
    job.setTextData(secret);
    return finish(job);
}

SecretResult KeychainSecretStore::remove(const QString &key)
{
    QKeychain::DeletePasswordJob job(m_service);
    job.setKey(key);
    return finish(job);
}

} // namespace vz::ui
