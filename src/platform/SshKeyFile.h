#pragma once

#include <optional>

#include <QString>

// Private key files for SFTP log-ins, and the passphrases the user typed for them this run:
// held in memory only, never stored. Main thread.
namespace SshKeyFile {

// Whether the key in the file is protected by a passphrase (OpenSSH's format with a cipher, or
// an encrypted PEM key). A file that cannot be read needs none: the log-in says why it failed.
bool needsPassphrase(const QString& path);

std::optional<QString> passphrase(const QString& path);
void remember(const QString& path, const QString& passphrase);
// After a refused log-in: the next one asks again.
void forgetAll();

} // namespace SshKeyFile
