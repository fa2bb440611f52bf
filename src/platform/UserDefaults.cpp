#include "platform/UserDefaults.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
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

// A store that cannot be read is moved aside, never overwritten: the user may want it back.
// Answers where it went, or "" when it was read or not there.
QString setAsideUnreadableStore(const QString& path)
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

// Created 0600 before QSettings first writes it, since QSettings would create it 0644.
void createPrivateStore(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("{}\n");
    }
    ::chmod(QFile::encodeName(path).constData(), S_IRUSR | S_IWUSR);
}

} // namespace

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
    movedAsideTo = setAsideUnreadableStore(path);
    createPrivateStore(path);
    settings = std::make_unique<QSettings>(path, jsonFormat());
    settings->setAtomicSyncRequired(true);
}

UserDefaults::~UserDefaults() = default;

QVariant UserDefaults::objectForKey(const QString& key) const
{
    return settings->value(key);
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    const QVariant value = settings->value(key);
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

bool UserDefaults::synchronize()
{
    settings->sync();
    // QSaveFile keeps the mode of the file it replaces; enforce it anyway.
    ::chmod(QFile::encodeName(path).constData(), S_IRUSR | S_IWUSR);
    return settings->status() == QSettings::NoError;
}
