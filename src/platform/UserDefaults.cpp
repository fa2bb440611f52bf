#include "platform/UserDefaults.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include "platform/Log.h"

namespace {

std::unique_ptr<UserDefaults>& sharedInstance()
{
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}

// JSON numbers that are whole come back as qint64, so an integer setting reads as it was stored.
QVariant fromJson(const QJsonValue& value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        const qint64 i = value.toInteger(std::numeric_limits<qint64>::min());
        if (i != std::numeric_limits<qint64>::min() || d == static_cast<double>(i))
            return QVariant::fromValue(i);
        return d;
    }
    return value.toVariant();
}

QJsonValue toJson(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return value.toLongLong();
    default:
        return QJsonValue::fromVariant(value);
    }
}

std::optional<QJsonObject> parseStore(QIODevice& device)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(device.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

bool readJson(QIODevice& device, QSettings::SettingsMap& map)
{
    const std::optional<QJsonObject> object = parseStore(device);
    if (!object)
        return false;
    for (auto it = object->begin(); it != object->end(); ++it)
        map.insert(it.key(), fromJson(it.value()));
    return true;
}

bool writeJson(QIODevice& device, const QSettings::SettingsMap& map)
{
    QJsonObject object;
    for (auto it = map.begin(); it != map.end(); ++it)
        object.insert(it.key(), toJson(it.value()));
    return device.write(QJsonDocument(object).toJson(QJsonDocument::Indented)) >= 0;
}

QSettings::Format jsonFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("json"), readJson, writeJson);
    return format;
}

const SettingInfo* infoNamed(const QString& name)
{
    for (const SettingInfo& info : kSettings)
        if (name == QLatin1String(info.name))
            return &info;
    return nullptr;
}

bool isSiteKey(const QString& name)
{
    const SettingInfo* info = infoNamed(name);
    return info && info->scope != SettingScope::Application;
}

bool isSecretKey(const QString& name)
{
    const SettingInfo* info = infoNamed(name);
    return info && info->scope == SettingScope::SiteSecret;
}

} // namespace

QString UserDefaults::setAsideUnreadableFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return QString();
    if (file.open(QIODevice::ReadOnly) && parseStore(file))
        return QString();
    file.close();
    QString aside = path + QStringLiteral(".corrupt");
    for (int n = 1; QFile::exists(aside); ++n)
        aside = path + QStringLiteral(".corrupt.%1").arg(n);
    if (QFile::rename(path, aside)) {
        Log::line(QStringLiteral("Settings file %1 could not be read; kept it as %2 and started "
                                 "with empty settings")
                      .arg(path, aside));
        return aside;
    }
    Log::line(QStringLiteral("Settings file %1 could not be read or moved aside").arg(path));
    return QString();
}

// Created 0600 before QSettings or QSaveFile first writes it, since they would create it 0644.
void UserDefaults::createPrivateFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("{}\n");
    }
    ::chmod(QFile::encodeName(path).constData(), S_IRUSR | S_IWUSR);
}

bool UserDefaults::writePrivateFile(const QString& path, const QByteArray& bytes, QString* problem)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    bool saved = file.open(QIODevice::WriteOnly);
    if (saved && fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0) {
        file.cancelWriting();
        saved = false;
    }
    if (saved) {
        file.write(bytes);
        saved = file.commit();
    }
    if (!saved && problem)
        *problem = file.errorString();
    return saved;
}

UserDefaults& UserDefaults::standardUserDefaults()
{
    auto& instance = sharedInstance();
    if (!instance)
        instance.reset(new UserDefaults);
    return *instance;
}

void UserDefaults::resetStandardUserDefaults()
{
    sharedInstance().reset();
}

QString UserDefaults::storePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tandrel/tandrel.json");
}

UserDefaults::UserDefaults()
    : path(storePath())
{
    movedAsideTo = setAsideUnreadableFile(path);
    createPrivateFile(path);
    settings = std::make_unique<QSettings>(path, jsonFormat());
    settings->setAtomicSyncRequired(true);
}

UserDefaults::~UserDefaults() = default;

QVariant UserDefaults::objectForKey(const QString& key) const
{
    if (transientSite && isSiteKey(key))
        return transientSite->value(key);
    if (keyringSecrets && secrets.contains(key))
        return secrets.value(key);
    return settings->value(key);
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    return ok ? number : 0;
}

qint64 UserDefaults::integerForKey(Setting key) const
{
    return objectForKey(key).isValid() ? integerForKey(nameOf(key))
                                       : QByteArray(settingInfo(key).defaultValue).toLongLong();
}

QString UserDefaults::text(Setting key) const
{
    const QVariant value = objectForKey(key);
    return value.isValid() ? value.toString() : QLatin1String(settingInfo(key).defaultValue);
}

void UserDefaults::setObject(const QVariant& value, const QString& key)
{
    if (transientSite && isSiteKey(key)) {
        transientSite->insert(key, value);
        return;
    }
    if (keyringSecrets && isSecretKey(key)) {
        secrets.insert(key, value);
        return;
    }
    // A value stored as it stands is not set again: with nothing changed, synchronize leaves
    // the file alone instead of rewriting and syncing it to the disk at every connect, which
    // can hold the window while the disk is busy.
    const QVariant stored = settings->value(key);
    if (stored.isValid() && stored.typeId() == value.typeId() && stored == value)
        return;
    settings->setValue(key, value);
}

void UserDefaults::setInteger(qint64 value, const QString& key)
{
    setObject(QVariant::fromValue(value), key);
}

void UserDefaults::removeObject(const QString& key)
{
    if (transientSite && isSiteKey(key))
        transientSite->remove(key);
    else if (keyringSecrets && isSecretKey(key))
        secrets.remove(key);
    else
        settings->remove(key);
}

void UserDefaults::setTransientSite(std::optional<QVariantMap> values)
{
    transientSite = std::move(values);
}

void UserDefaults::setSecretsInKeyring(bool inKeyring)
{
    if (inKeyring == keyringSecrets)
        return;
    if (inKeyring) {
        // The plain ones stay readable in memory until the next write drops them from the file.
        for (const SettingInfo& info : kSettings) {
            const QString name = QLatin1String(info.name);
            if (info.scope == SettingScope::SiteSecret && settings->contains(name))
                secrets.insert(name, settings->value(name));
        }
    } else {
        for (auto it = secrets.cbegin(); it != secrets.cend(); ++it)
            settings->setValue(it.key(), it.value());
        secrets.clear();
    }
    keyringSecrets = inKeyring;
}

QVariantMap UserDefaults::siteValues(bool withSecrets) const
{
    QVariantMap values;
    for (const SettingInfo& info : kSettings) {
        const QString name = QLatin1String(info.name);
        if (info.scope == SettingScope::Application ||
            (info.scope == SettingScope::SiteSecret && !withSecrets))
            continue;
        if (const QVariant value = objectForKey(name); value.isValid())
            values.insert(name, value);
    }
    return values;
}

void UserDefaults::setSiteValues(const QVariantMap& values)
{
    for (const SettingInfo& info : kSettings) {
        const QString name = QLatin1String(info.name);
        if (info.scope == SettingScope::Application)
            continue;
        if (values.contains(name))
            setObject(values.value(name), name);
        else
            removeObject(name);
    }
}

bool UserDefaults::synchronize()
{
    if (keyringSecrets)
        for (const SettingInfo& info : kSettings)
            if (info.scope == SettingScope::SiteSecret)
                settings->remove(QLatin1String(info.name));
    settings->sync();
    // QSaveFile keeps the mode of the file it replaces; enforce it anyway.
    ::chmod(QFile::encodeName(path).constData(), S_IRUSR | S_IWUSR);
    return settings->status() == QSettings::NoError;
}
