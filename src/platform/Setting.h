#pragma once

#include <array>

#include <QtGlobal>

// Every setting the store holds, in one table with its name in the file and the value an absent
// key reads as (a text, or the number it spells for the 0-or-1 settings). The names stay as they
// are, so that a store written by any earlier run reads the same.
enum class Setting
{
    // The FTP group
    Host,
    Port,
    Directory,
    Passive,   // 0 or 1
    Anonymous, // 0 or 1
    User,
    Password,
    // The proxy group
    UseProxy, // 0 or 1
    ProxyHost,
    ProxyPort,
    ProxyUser,
    ProxyPassword,
    // How the connection is protected: the key text of an Encryption
    Encryption,
    // The folder the last uploaded file was chosen from
    UploadFolder,
    // The name of the saved site the site settings belong to
    Site,
    // Where the window was left: the name of its screen and its top left corner "x,y" there
    WindowScreen,
    WindowPosition,
    // The object name of the tab shown last
    LastTab,
    // The listing table's column widths, "w,w,w,w"; its sort: a column identifier ("" the
    // server's order) and "ascending" or "descending"
    ListColumnWidths,
    SortColumn,
    SortOrder,
};

// Whose a setting is: each saved site holds its own value of every site setting (a setting added
// to the table is one unless it says otherwise), and a site secret lives in the desktop's keyring
// where one answers; an application setting is one for the whole application.
enum class SettingScope
{
    Site,
    SiteSecret,
    Application,
};

struct SettingInfo
{
    Setting setting;
    const char* name;
    const char* defaultValue; // what an absent key reads as
    SettingScope scope = SettingScope::Site;
};

inline constexpr std::array<SettingInfo, 21> kSettings{{
    {Setting::Host, "Host", ""},
    {Setting::Port, "Port", ""},
    {Setting::Directory, "Directory", ""},
    {Setting::Passive, "Passive", "0"},
    {Setting::Anonymous, "Anonymous", "0"},
    {Setting::User, "User", ""},
    {Setting::Password, "Password", "", SettingScope::SiteSecret},
    {Setting::UseProxy, "UseProxy", "0"},
    {Setting::ProxyHost, "ProxyHost", ""},
    {Setting::ProxyPort, "ProxyPort", ""},
    {Setting::ProxyUser, "ProxyUser", ""},
    {Setting::ProxyPassword, "ProxyPassword", "", SettingScope::SiteSecret},
    {Setting::Encryption, "Encryption", "if-available"},
    {Setting::UploadFolder, "UploadFolder", "", SettingScope::Application},
    {Setting::Site, "Site", "", SettingScope::Application},
    {Setting::WindowScreen, "WindowScreen", "", SettingScope::Application},
    {Setting::WindowPosition, "WindowPosition", "", SettingScope::Application},
    {Setting::LastTab, "LastTab", "", SettingScope::Application},
    {Setting::ListColumnWidths, "ListColumnWidths", "", SettingScope::Application},
    {Setting::SortColumn, "SortColumn", "", SettingScope::Application},
    {Setting::SortOrder, "SortOrder", "ascending", SettingScope::Application},
}};

constexpr const SettingInfo& settingInfo(Setting setting)
{
    return kSettings[static_cast<size_t>(setting)];
}

// The table is in the enum's order, so that a lookup is an index.
static_assert([] {
    for (size_t i = 0; i < kSettings.size(); ++i)
        if (static_cast<size_t>(kSettings[i].setting) != i)
            return false;
    return true;
}());
