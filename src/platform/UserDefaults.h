#pragma once

#include <memory>
#include <optional>

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include "platform/Setting.h"

class QSettings;

// The per-user settings store: a JSON file under the XDG config folder, written through
// QSettings. Strings and integers stay apart, an absent key is told from "", and the file is
// private to the user (it holds passwords).
class UserDefaults final
{
public:
    // The shared per-user instance, opened on first use.
    static UserDefaults& standardUserDefaults();
    // Drops the shared instance without writing; the next access reads the file afresh.
    static void resetStandardUserDefaults();

    // The file behind the store: $XDG_CONFIG_HOME/tandrel/tandrel.json (or ~/.config/...).
    static QString storePath();

    // The stored value (a QString or a qint64), or an invalid QVariant when absent.
    QVariant objectForKey(const QString& key) const;
    QVariant valueForKey(const QString& key) const { return objectForKey(key); }
    // The stored integer; 0 when the key is absent or holds no number.
    qint64 integerForKey(const QString& key) const;

    void setObject(const QVariant& value, const QString& key);
    void setValue(const QVariant& value, const QString& key) { setObject(value, key); }
    void setInteger(qint64 value, const QString& key);

    // The same, by the settings table.
    QVariant objectForKey(Setting key) const { return objectForKey(nameOf(key)); }
    qint64 integerForKey(Setting key) const;
    void setObject(const QVariant& value, Setting key) { setObject(value, nameOf(key)); }
    void setValue(const QVariant& value, Setting key) { setObject(value, nameOf(key)); }
    void setInteger(qint64 value, Setting key) { setInteger(value, nameOf(key)); }
    // The stored text, or the table's default when the key is absent.
    QString text(Setting key) const;
    static QString nameOf(Setting key) { return QLatin1String(settingInfo(key).name); }

    // Writes the store out atomically; false when it could not be written.
    bool synchronize();

    // Where an unreadable settings file was kept when this store was opened; "" when none was.
    QString movedAsideTo;

    // A connection opened from a link is no saved site: while one is given, the site settings
    // are read from and written to these values in memory, and the file keeps the saved ones.
    void setTransientSite(std::optional<QVariantMap> values);
    bool hasTransientSite() const { return transientSite.has_value(); }
    // Where the desktop's keyring keeps the passwords, the site secrets are held in memory and
    // the file holds none from its next write on; a plain one it holds reads until then.
    void setSecretsInKeyring(bool inKeyring);
    bool secretsInKeyring() const { return keyringSecrets; }
    // The site settings by name, as a saved site keeps them (the secrets only when asked), and
    // all of them replaced at once: a name the values lack is removed.
    QVariantMap siteValues(bool withSecrets) const;
    void setSiteValues(const QVariantMap& values);

    // Moves a JSON file that cannot be read aside, never overwriting it: the user may want it
    // back. Answers where it went, or "" when it was read or is not there.
    static QString setAsideUnreadableFile(const QString& path);
    // Creates the file (and its folder) private to the user, if it is not there.
    static void createPrivateFile(const QString& path);
    // Replaces the file at path by bytes in one step, readable by the user alone from its first
    // byte; false with the reason in problem when it cannot.
    static bool writePrivateFile(const QString& path, const QByteArray& bytes, QString* problem);

    ~UserDefaults();
    Q_DISABLE_COPY_MOVE(UserDefaults)

private:
    UserDefaults();

    void removeObject(const QString& key);

    QString path;
    std::unique_ptr<QSettings> settings;
    std::optional<QVariantMap> transientSite;
    bool keyringSecrets = false;
    QVariantMap secrets; // by name, while the keyring keeps them
};
