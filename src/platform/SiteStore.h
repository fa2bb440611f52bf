#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// One saved site: its own value of every site setting (see Setting.h), by the setting's name.
struct Site
{
    QString id;   // stays through renames; names the site's passwords in the keyring
    QString name; // "" for the one unnamed site, shown in the user's language
    QVariantMap values;
};

// The saved sites, in one JSON file beside the settings file, private to the user and written
// atomically. The settings file keeps the site in use; this file keeps every site.
class SiteStore final
{
public:
    // $XDG_CONFIG_HOME/tandrel/sites.json (or ~/.config/...).
    static QString storePath();
    // The sites in the file. A file that cannot be read is kept aside (movedAsideTo says where)
    // and the list starts empty; a missing file is an empty list.
    static SiteStore read();
    // Writes every site out atomically; false when the file could not be written.
    bool write() const;

    // The site with that id or name, or nullptr.
    Site* siteWithId(const QString& id);
    Site* siteNamed(const QString& name);
    static QString newId();

    QList<Site> sites;
    QString movedAsideTo;
};
