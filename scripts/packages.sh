# Debian packages Tandrel needs, and a helper that installs the missing ones.
# Sourced by run.sh and test.sh.

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-tools-dev qt6-tools-dev-tools
                qt6-l10n-tools libcurl4-openssl-dev libssl-dev qtkeychain-qt6-dev libfontconfig-dev libssh-dev)
# The listing's folder and document symbols are emoji: a colour emoji font shows them. Qt's own
# words (file dialogs, message-box buttons) in the user's language come with its translations.
RUN_PACKAGES=(python3 python3-pyftpdlib fonts-noto-color-emoji qt6-translations-l10n)
# The keyring tests run a gnome-keyring of their own in a private D-Bus session.
TEST_PACKAGES=(libgtest-dev ccache python3 python3-pyftpdlib vsftpd tinyproxy openssh-server openssh-client
               curl openssl clang clang-format
               libclang-rt-14-dev gnome-keyring dbus dbus-x11 libsecret-tools)
BENCH_PACKAGES=(python3 python3-pyftpdlib vsftpd curl time openssh-server openssh-client lftp openssl)

ensure_packages()
{
    local missing=()
    local pkg
    for pkg in "$@"; do
        if [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null)" != "ii " ]; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    # vsftpd and tinyproxy try to start their system services on install; nothing here uses
    # those, and without an init system the attempt must not fail the install.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}
