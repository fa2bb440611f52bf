#include "platform/SiteStore.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include "platform/Log.h"
#include "platform/UserDefaults.h"

namespace {

// Whole JSON numbers come back as qint64, so that the 0-or-1 settings read as they were stored.
QVariant valueFromJson(const QJsonValue& value)
{
    if (value.isDouble())
        return QVariant::fromValue(static_cast<qint64>(value.toInteger()));
    return value.toVariant();
}

} // namespace

QString SiteStore::storePath()
{
    return QFileInfo(UserDefaults::storePath()).absolutePath() + QStringLiteral("/sites.json");
}

SiteStore SiteStore::read()
{
    SiteStore store;
    const QString path = storePath();
    store.movedAsideTo = UserDefaults::setAsideUnreadableFile(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return store;
    const QJsonArray sites =
        QJsonDocument::fromJson(file.readAll())[QLatin1String("sites")].toArray();
    for (const QJsonValue& entry : sites) {
        const QJsonObject object = entry.toObject();
        Site site{
            object[QLatin1String("id")].toString(), object[QLatin1String("name")].toString(), {}};
        // Entries without an id, or repeating an id or name, are no sites of ours. An empty name
        // is the unnamed site's.
        if (site.id.isEmpty() || store.siteWithId(site.id) ||
            (!site.name.isEmpty() && store.siteNamed(site.name)))
            continue;
        const QJsonObject values = object[QLatin1String("settings")].toObject();
        for (auto it = values.begin(); it != values.end(); ++it)
            site.values.insert(it.key(), valueFromJson(it.value()));
        store.sites.append(site);
    }
    return store;
}

bool SiteStore::write() const
{
    QJsonArray entries;
    for (const Site& site : sites) {
        QJsonObject values;
        for (auto it = site.values.cbegin(); it != site.values.cend(); ++it)
            values.insert(it.key(), QJsonValue::fromVariant(it.value()));
        entries.append(QJsonObject{{QStringLiteral("id"), site.id},
                                   {QStringLiteral("name"), site.name},
                                   {QStringLiteral("settings"), values}});
    }
    const QString path = storePath();
    QString problem;
    if (!UserDefaults::writePrivateFile(
            path, QJsonDocument(QJsonObject{{QStringLiteral("sites"), entries}}).toJson(),
            &problem)) {
        Log::line(QStringLiteral("Sites file %1 could not be written: %2").arg(path, problem));
        return false;
    }
    return true;
}

Site* SiteStore::siteWithId(const QString& id)
{
    for (Site& site : sites)
        if (site.id == id)
            return &site;
    return nullptr;
}

Site* SiteStore::siteNamed(const QString& name)
{
    for (Site& site : sites)
        if (site.name == name)
            return &site;
    return nullptr;
}

QString SiteStore::newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}
