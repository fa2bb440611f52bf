#include "platform/Keyring.h"

#include <memory>
#include <utility>

#include <QFileInfo>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include "platform/Log.h"

// Long enough for the desktop's prompt to unlock a locked keyring.
int Keyring::timeoutMs = 30000;

namespace {

const QString kService = QStringLiteral("Tandrel");

std::unique_ptr<Keyring>& sharedInstance()
{
    static std::unique_ptr<Keyring> instance;
    return instance;
}

} // namespace

// Starts the job and calls done once: with the job when it finished, with nullptr when the
// keyring did not answer in time (the job's late answer is then ignored).
void Keyring::run(QKeychain::Job* job, std::function<void(QKeychain::Job*)> done)
{
    auto answered = std::make_shared<bool>(false);
    auto callback = std::make_shared<std::function<void(QKeychain::Job*)>>(
        [this, done = std::move(done)](QKeychain::Job* finished) {
            done(finished);
            if (--pendingRequests == 0)
                emit settled();
        });
    ++pendingRequests;
    job->setAutoDelete(true);
    connect(job, &QKeychain::Job::finished, this, [answered, callback](QKeychain::Job* finished) {
        if (std::exchange(*answered, true))
            return;
        (*callback)(finished);
    });
    QTimer::singleShot(timeoutMs, this, [answered, callback] {
        if (std::exchange(*answered, true))
            return;
        Log::line(QStringLiteral("The keyring did not answer in time"));
        (*callback)(nullptr);
    });
    job->start();
}

Keyring& Keyring::shared()
{
    auto& instance = sharedInstance();
    if (!instance)
        instance.reset(new Keyring);
    return *instance;
}

void Keyring::resetShared()
{
    sharedInstance().reset();
}

bool Keyring::sessionBusPossible()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

void Keyring::probe()
{
    if (current != State::Unknown || probing)
        return;
    probing = true;
    if (!sessionBusPossible()) {
        // Answered on the next pass of the event loop, as the keyring's own answer would be.
        ++pendingRequests;
        QMetaObject::invokeMethod(
            this,
            [this] {
                probing = false;
                Log::line(QStringLiteral("No keyring answered (no session bus): passwords stay in "
                                         "the settings file"));
                current = State::Unavailable;
                emit availabilityKnown(false);
                if (--pendingRequests == 0)
                    emit settled();
            },
            Qt::QueuedConnection);
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(QStringLiteral("availability"));
    run(job, [this](QKeychain::Job* finished) {
        probing = false;
        // A keyring that has no such entry, or whose unlock the user refused, is there.
        const bool available = finished && (finished->error() == QKeychain::NoError ||
                                            finished->error() == QKeychain::EntryNotFound ||
                                            finished->error() == QKeychain::AccessDeniedByUser);
        if (!available)
            Log::line(QStringLiteral("No keyring answered (%1): passwords stay in the settings "
                                     "file")
                          .arg(finished ? finished->errorString() : QStringLiteral("time-out")));
        current = available ? State::Available : State::Unavailable;
        emit availabilityKnown(available);
    });
}

void Keyring::read(const QString& key, std::function<void(std::optional<QString>)> done)
{
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key);
    run(job, [done = std::move(done)](QKeychain::Job* finished) {
        auto* reader = static_cast<QKeychain::ReadPasswordJob*>(finished);
        if (reader && reader->error() == QKeychain::NoError)
            done(reader->textData());
        else
            done(std::nullopt);
    });
}

void Keyring::write(const QString& key, const QString& secret, std::function<void(bool)> done)
{
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(key);
    job->setTextData(secret);
    run(job, [key, done = std::move(done)](QKeychain::Job* finished) {
        const bool ok = finished && finished->error() == QKeychain::NoError;
        if (!ok)
            Log::line(
                QStringLiteral("The keyring did not keep the password %1: %2")
                    .arg(key, finished ? finished->errorString() : QStringLiteral("time-out")));
        if (done)
            done(ok);
    });
}

void Keyring::remove(const QString& key)
{
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(key);
    run(job, [](QKeychain::Job*) {});
}
