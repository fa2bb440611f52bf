// tandrel-drive: runs the real Tandrel window headless, fills in the settings from its options,
// connects and performs the given steps through the same actions a user triggers, printing
// what the window shows. For tests, benchmarks and bug reports.
//
//   tandrel-drive --host 127.0.0.1 --port 2121 --anonymous list cd "a b" up reload
//   tandrel-drive ... --download-folder /tmp/in get "a b.txt" put /tmp/x.bin mkdir new rm old.txt
//
// Steps: list, cd NAME, up, reload; get NAME (download the row, a folder with its tree), put
// LOCALPATH... (upload those files and folders, chosen together in the open panel), mkdir NAME
// (create a folder), rm NAME (delete the row, a folder with its tree, confirmed); select NAME...
// (click the first name's row, Ctrl-click the others'), get-selected (download the selection and
// wait until the queue is empty); sort COLUMN asc|desc (click the header of FileName, FileSize or
// ModifiedTime until it sorts that way), filter TEXT (type into the filter field), rename OLD NEW
// (F2 on the row, the new name typed into the editor); cancel-at PERCENT (the next download or
// upload is cancelled with the Cancel button when its percentage first reaches PERCENT; that step
// then prints the status line, "Cancelled", and the run goes on). The names of select and the files
// of put run up to the next word that names a step, or the end. Rows print in the order the table
// shows them. While a download or upload runs, every change of the queue display prints
//   progress <TAB> percentage label <TAB> first bar's value <TAB> second bar's value
// and get-selected, put and get of a folder end with one line per transfer they queued:
//   queue <TAB> name <TAB> outcome (Done, or the failure as the status line tells it)
// and for a folder one more:
//   tree <TAB> name <TAB> files done <TAB> skipped <TAB> failed <TAB> bytes
// A step that fails prints the window's status line as a "status" line (and with --timing the
// figures below), then ends the run with exit status 1 and the reason on standard error.
// --timing prints each step's seconds, and at the end of the run, or before a failure ends it,
//   stall-max-ms <TAB> the longest time the event loop was held (between ticks of a 5 ms timer)
//   peak-rss-kib <TAB> the process's peak resident memory
// With TANDREL_STALL_LOG set in the environment, each gap over 12 ms goes to standard error as
//   stall N ms ending SECONDS cpu M ms
// (SECONDS on CLOCK_MONOTONIC, M the window thread's CPU time in the gap), to match with a profile.
// --open-queue brings the Queue tab to the front and opens each folder's row as it is queued, as
// a user who watches its files does: the stall then counts the view of them too.
//
// --connections N moves up to N files of a folder at once (1 to 8; the setting "Transfers at
// once", 2 unless set).
// --encryption MODE chooses if-available, require, implicit or none. An untrusted or changed
// certificate is trusted only when its SHA-256 fingerprint is the --trust-fingerprint HEX given
// (as `openssl x509 -noout -fingerprint -sha256` prints it); otherwise the dialog is cancelled.
// After connecting, one line tells the protection: encryption <TAB> tls1.3 verified | tls1.2
// trusted | none | ssh KEYTYPE known | ssh KEYTYPE trusted.
//
// --protocol ftp|sftp (default ftp) chooses the protocol. For SFTP, --key FILE logs in with that
// private key, --passphrase TEXT answers the key's passphrase question, and an unknown or changed
// host key is trusted only when its fingerprint is the --trust-host-key SHA256:... given (as
// `ssh-keygen -lf` prints it); a key in ~/.ssh/known_hosts is used silently.
//
// The settings start empty in a throwaway folder, as a new user's; --settings DIR keeps them in
// DIR from run to run, so that a later run starts as a returning user's does.
//
// Sites: --site NAME connects with a saved site instead of the server options, --url LINK to
// the server and folder an ftp:// or ftps:// link names, as `tandrel LINK` does. The step
// save-site NAME saves the connection in use as a site (its passwords into the desktop's keyring
// where one answers); sites prints one line per saved site, never a password:
//   site <TAB> name <TAB> ftp://user@host:port/folder

#include <optional>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "CustomWindow.h"
#include "TandrelApp.h"
#include "drive/DriveOptions.h"
#include "drive/DriveToolkit.h"
#include "drive/Driver.h"
#include "platform/WarmUp.h"

using namespace drive;

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The user's own settings are never read or changed: a throwaway folder, as a new user's, or
    // the one --settings names, kept from run to run as a returning user's.
    std::optional<QTemporaryDir> throwaway;
    QString configHome = settingsOption(argc, argv);
    if (configHome.isEmpty()) {
        throwaway.emplace();
        configHome = throwaway->path();
    } else {
        configHome = QDir(configHome).absolutePath();
        QDir().mkpath(configHome);
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    // After the environment is set: the fonts' configuration reads it.
    WarmUp warmUp;

    QApplication app(argc, argv);
    const Options options = parseOptions(QApplication::arguments());
    Driver::prepareConnection(options);
    TandrelApp::loadTranslations(app, QLocale(QLocale::English));
    DriveToolkit toolkit;
    Toolkit::setShared(&toolkit);
    warmUp.waitForFonts();
    {
        TandrelApp tandrel;
        tandrel.window()->show();
        Driver driver(&tandrel, &toolkit, options);
        driver.fillSettings();
        driver.connect();
        driver.run();
    }
    Toolkit::setShared(nullptr);
    return 0;
}
