#pragma once

#include <functional>
#include <optional>

#include <QObject>
#include <QString>

namespace QKeychain {
class Job;
}

// The desktop's keyring (the Secret Service, through QtKeychain), where passwords are kept
// instead of in a file. Every request answers later through its callback, on the main thread,
// and never holds the event loop; a keyring that does not answer within the time-out counts as
// none for that request.
class Keyring final : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Unknown,     // not asked yet, or the answer has not come
        Available,   // a keyring answered
        Unavailable, // none answered: passwords stay in the private file
    };

    static Keyring& shared();
    // Forgets the answer, as a restart would (tests start keyrings of their own).
    static void resetShared();

    State state() const { return current; }
    // Asks once whether a keyring answers; availabilityKnown tells the answer.
    void probe();
    // Whether a session bus could be reached at all (the address the session names, the user bus
    // in XDG_RUNTIME_DIR, or one started for the X display, where D-Bus looks): without one no
    // keyring answers, and the probe says so without loading the Secret Service's client.
    static bool sessionBusPossible();

    // The secret under key; none when there is none, the keyring refused or did not answer.
    void read(const QString& key, std::function<void(std::optional<QString>)> done);
    // Keeps secret under key; done hears whether the keyring took it.
    void write(const QString& key, const QString& secret, std::function<void(bool)> done = {});
    void remove(const QString& key);
    // Requests that have not answered yet; settled is emitted when none is left.
    int pending() const { return pendingRequests; }

    // How long a request waits for the keyring's answer. Tests shorten it.
    static int timeoutMs;

signals:
    void availabilityKnown(bool available);
    void settled();

private:
    Keyring() = default;
    void run(QKeychain::Job* job, std::function<void(QKeychain::Job*)> done);

    State current = State::Unknown;
    bool probing = false;
    int pendingRequests = 0;
};
