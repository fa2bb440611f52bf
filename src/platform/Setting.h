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
    // The protocol the server speaks: "ftp" or "sftp"
    Protocol,
    // sftp: the private key file to log in with; empty tries the agent and ~/.ssh's keys
    SshKeyFile,
};

struct SettingInfo
{
    Setting setting;
    const char* name;
    const char* defaultValue; // what an absent key reads as
};

inline constexpr std::array<SettingInfo, 16> kSettings{{
    {Setting::Host, "Host", ""},
    {Setting::Port, "Port", ""},
    {Setting::Directory, "Directory", ""},
    {Setting::Passive, "Passive", "0"},
    {Setting::Anonymous, "Anonymous", "0"},
    {Setting::User, "User", ""},
    {Setting::Password, "Password", ""},
    {Setting::UseProxy, "UseProxy", "0"},
    {Setting::ProxyHost, "ProxyHost", ""},
    {Setting::ProxyPort, "ProxyPort", ""},
    {Setting::ProxyUser, "ProxyUser", ""},
    {Setting::ProxyPassword, "ProxyPassword", ""},
    {Setting::Encryption, "Encryption", "if-available"},
    {Setting::UploadFolder, "UploadFolder", ""},
    {Setting::Protocol, "Protocol", "ftp"},
    {Setting::SshKeyFile, "SshKeyFile", ""},
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
