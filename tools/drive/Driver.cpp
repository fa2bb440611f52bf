#include "drive/Driver.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>

#include "Classes/Controller.h"
#include "Classes/QueueDisplay.h"
#include "Classes/RemoteFolder.h"
#include "Classes/TransferQueue.h"
#include "ConnectUrl.h"
#include "CreateDirDelegate.h"
#include "CustomWindow.h"
#include "DeleteDelegate.h"
#include "DownloadDelegate.h"
#include "MiscTool.h"
#include "RenameDelegate.h"
#include "TandrelApp.h"
#include "UploadDelegate.h"
#include "drive/DriveToolkit.h"
#include "platform/Keyring.h"
#include "platform/UrlText.h"
#include "platform/UserDefaults.h"
#include "platform/ftp/ConnectionSecurity.h"
#include "platform/ftp/FtpStream.h"

namespace drive {

Driver::Driver(TandrelApp* app, DriveToolkit* toolkit, const Options& options)
    : app(app)
    , controller(app->controller())
    , toolkit(toolkit)
    , options(options)
{
    QObject::connect(controller, &Controller::listingStopped, [this](const QString&) {
        listingRunning = false;
        // Connect to the end of the first listing: what a user waits for.
        if (this->options.timing && connectClock.isValid()) {
            print({QStringLiteral("time"), QStringLiteral("connect"),
                   QString::number(connectClock.nsecsElapsed() / 1e9, 'f', 3)});
            connectClock.invalidate();
        }
        wake();
    });
    for (RemoteOperation* operation : std::initializer_list<RemoteOperation*>{
             app->downloadDelegate(), app->uploadDelegate(), app->createDirDelegate(),
             app->deleteDelegate(), app->renameDelegate()})
        QObject::connect(operation, &RemoteOperation::finished,
                         [this](const OperationOutcome& outcome) {
                             operationEnded = true;
                             wake();
                             operationStatus = outcome.statusText();
                         });
    // One line per file as it ends, of a folder's tree or of several files side by side.
    QObject::connect(app->transferQueue(), &TransferQueue::fileEnded,
                     [](const QString& name, const QString& outcome, int64_t bytes) {
                         print({QStringLiteral("queue"), name, outcome, QString::number(bytes)});
                     });
    QObject::connect(app->transferQueue(), &TransferQueue::drained, [this] {
        queueDrained = true;
        wake();
    });
    QObject::connect(&Keyring::shared(), &Keyring::settled, [this] { wake(); });
    QObject::connect(&Keyring::shared(), &Keyring::availabilityKnown, [this] { wake(); });
    QObject::connect(controller->queueDisplay, &QueueDisplay::changed,
                     [this] { printQueueDisplay(); });
    // The event loop's longest stall: the gap between ticks of a 5 ms timer.
    QObject::connect(&stallTimer, &QTimer::timeout, [this] {
        if (sinceTick.isValid()) {
            const qint64 gap = sinceTick.restart() - 5;
            longestStallMs = std::max(longestStallMs, gap);
            noteStall(gap);
        } else {
            sinceTick.start();
            noteStall(0);
        }
    });
    stallTimer.start(5);
    if (options.openQueue)
        QObject::connect(app->transferQueue(), &QAbstractItemModel::rowsInserted,
                         [this](const QModelIndex& parent, int first, int last) {
                             auto* view = this->app->window()->findChild<QTreeView*>(
                                 QStringLiteral("queueTable"));
                             controller->tabView->setCurrentWidget(controller->queueTabViewItem);
                             for (int row = first; row <= last && !parent.isValid(); ++row)
                                 if (this->app->transferQueue()->transfers().at(row).folder)
                                     view->expand(this->app->transferQueue()->index(row, 0));
                         });
    beforeFailing = [this] {
        print({QStringLiteral("status"), this->controller->statusLabel->text()});
        if (this->options.timing)
            printFigures();
    };
}

void Driver::prepareConnection(const Options& options)
{
    const UserDefaults& store = UserDefaults::standardUserDefaults();
    const auto saved = [&](Setting key, const QString& given) { return store.text(key) == given; };
    if (options.protocol != QLatin1String("sftp") || !options.url.isEmpty() ||
        !options.site.isEmpty() || options.anonymous || !options.proxyHost.isEmpty() ||
        !saved(Setting::Protocol, options.protocol) || !saved(Setting::Host, options.host) ||
        !saved(Setting::Port, options.port.isEmpty() ? QStringLiteral("22") : options.port) ||
        !saved(Setting::User, options.user) || !saved(Setting::Password, options.password) ||
        store.integerForKey(Setting::Anonymous) != 0 ||
        store.integerForKey(Setting::UseProxy) == 1 ||
        (!options.keyFile.isEmpty() && !saved(Setting::SshKeyFile, options.keyFile)))
        return;
    if (const std::optional<QUrl> url = UrlText::urlWithString(MiscTool::getFTPURL()))
        FtpStreamPrepareConnection(*url, MiscTool::streamProperties());
}

void Driver::noteStall(qint64 gapMs)
{
    static const bool logged = qEnvironmentVariableIsSet("TANDREL_STALL_LOG");
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    const double cpuMs =
        static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6;
    if (logged && gapMs > 12) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(stderr, "stall %lld ms ending %lld.%06ld cpu %.1f ms\n",
                     static_cast<long long>(gapMs), static_cast<long long>(now.tv_sec),
                     now.tv_nsec / 1000, cpuMs - cpuAtTick);
    }
    cpuAtTick = cpuMs;
}

void Driver::fillSettings()
{
    toolkit->trustFingerprint = options.trustFingerprint;
    if (!options.connections.isEmpty()) {
        const int count = options.connections.toInt();
        if (count < 1 || count > 8)
            fail(QStringLiteral("--connections takes a number from 1 to 8"));
        UserDefaults::standardUserDefaults().setObject(QString::number(count),
                                                       Setting::TransfersAtOnce);
    }
    if (!options.onExists.isEmpty()) {
        using OnExists = TransferQueue::OnExists;
        const QMap<QString, OnExists> choices = {
            {QStringLiteral("overwrite"), OnExists::Overwrite},
            {QStringLiteral("newer"), OnExists::IfDifferent},
            {QStringLiteral("resume"), OnExists::Resume},
            {QStringLiteral("skip"), OnExists::Skip},
            {QStringLiteral("rename"), OnExists::KeepBoth},
        };
        if (!choices.contains(options.onExists))
            fail(QStringLiteral("--on-exists takes overwrite, newer, resume, skip or rename"));
        app->transferQueue()->onExists = choices.value(options.onExists);
    }
    if (!options.url.isEmpty())
        return;
    if (!options.site.isEmpty()) {
        if (!controller->chooseSiteNamed(options.site))
            fail(QStringLiteral("no saved site named ") + options.site);
        return;
    }
    controller->hostField->setText(options.host);
    controller->portField->setText(options.port.isEmpty() ? QStringLiteral("21") : options.port);
    controller->directoryField->setText(options.dir);
    if (options.anonymous != controller->anonymousCheckBox->isChecked())
        controller->anonymousCheckBox->click();
    if (!options.anonymous) {
        controller->userField->setText(options.user);
        controller->passwordField->setText(options.password);
    }
    if (options.active == controller->passiveCheckBox->isChecked())
        controller->passiveCheckBox->click();
    const bool useProxy = !options.proxyHost.isEmpty();
    if (useProxy != controller->useProxyCheckBox->isChecked())
        controller->useProxyCheckBox->click();
    controller->proxyHostField->setText(options.proxyHost);
    controller->proxyPortField->setText(options.proxyPort);
    controller->proxyUserField->setText(options.proxyUser);
    controller->proxyPasswordField->setText(options.proxyPassword);
    if (!options.encryption.isEmpty()) {
        QStringList modes;
        for (const Encryption encryption : kEncryptions)
            modes.append(keyOfEncryption(encryption));
        if (!modes.contains(options.encryption))
            fail(QStringLiteral("--encryption takes one of ") + modes.join(QLatin1Char(' ')));
        controller->encryptionPopUp->setCurrentIndex(
            static_cast<int>(modes.indexOf(options.encryption)));
    }
    if (!options.protocol.isEmpty()) {
        const QStringList protocols{QStringLiteral("ftp"), QStringLiteral("sftp")};
        if (!protocols.contains(options.protocol))
            fail(QStringLiteral("--protocol takes ftp or sftp"));
        controller->protocolPopUp->setCurrentIndex(
            static_cast<int>(protocols.indexOf(options.protocol)));
        controller->applyProtocolChoice(options.port.isEmpty());
    }
    if (!options.keyFile.isEmpty())
        controller->keyFileField->setText(options.keyFile);
    toolkit->passphrase = options.passphrase;
}

void Driver::connect()
{
    listingRunning = true;
    connectClock.start();
    if (options.url.isEmpty()) {
        controller->connectItem->trigger();
    } else if (const auto parsed = ConnectUrl::parse(options.url);
               const QString* problem = std::get_if<QString>(&parsed)) {
        fail(QStringLiteral("--url: ") + *problem);
    } else if (!controller->openLink(options.url)) {
        fail(QStringLiteral("--url: the link was not opened"));
    }
    // A saved site's password may come from the keyring first.
    if (!runUntil([this] { return !controller->awaitingSecrets(); }))
        fail(QStringLiteral("connect: the keyring did not answer in time"));
    // A refused connect (a Host or Port that cannot name a server) starts no listing.
    if (!controller->isReceiving())
        listingRunning = false;
    if (!options.downloadFolder.isEmpty()) {
        toolkit->panelPaths.append({options.downloadFolder});
        controller->setLocal();
    }
}

void Driver::run()
{
    waitForListing(QStringLiteral("connect"));
    printEncryption();
    if (!options.url.isEmpty())
        printRows();
    for (qsizetype i = 0; i < options.steps.size(); ++i) {
        const QString step = options.steps[i];
        QString argument;
        QStringList arguments;
        static const QStringList withArgument = {
            QStringLiteral("cd"),       QStringLiteral("get"),    QStringLiteral("mkdir"),
            QStringLiteral("rm"),       QStringLiteral("filter"), QStringLiteral("cancel-at"),
            QStringLiteral("save-site")};
        static const QStringList withArguments = {QStringLiteral("put"), QStringLiteral("select")};
        static const QStringList withTwo = {QStringLiteral("sort"), QStringLiteral("rename")};
        QString second;
        if (withArgument.contains(step) || withTwo.contains(step)) {
            if (++i >= options.steps.size())
                fail(step + QStringLiteral(" needs an argument"));
            argument = options.steps[i];
        } else if (withArguments.contains(step)) {
            while (i + 1 < options.steps.size() && !kSteps.contains(options.steps[i + 1]))
                arguments.append(options.steps[++i]);
            if (arguments.isEmpty())
                fail(step + QStringLiteral(" needs at least one argument"));
            argument = arguments.join(QLatin1Char(' '));
        }
        if (withTwo.contains(step)) {
            if (++i >= options.steps.size())
                fail(step + QStringLiteral(" needs two arguments"));
            second = options.steps[i];
        }
        QElapsedTimer clock;
        clock.start();
        waitForListing(step);
        cancelled = false;
        if (step == QLatin1String("cancel-at")) {
            bool ok = false;
            cancelAt = argument.toInt(&ok);
            if (!ok || *cancelAt < 0 || *cancelAt > 100)
                fail(QStringLiteral("cancel-at takes a percentage from 0 to 100"));
            continue;
        }
        if (step == QLatin1String("list")) {
            printRows();
        } else if (step == QLatin1String("cd")) {
            enter(argument);
        } else if (step == QLatin1String("up")) {
            navigate([this] { controller->preButton->click(); });
        } else if (step == QLatin1String("reload")) {
            navigate([this] { controller->reloadButton->click(); });
        } else if (step == QLatin1String("get")) {
            selectRow(argument);
            // A folder is fetched with its tree through the queue.
            const ListingEntry* entry = controller->remote->entryAt(controller->selectedRow());
            if (entry && RemoteFolder::isFolder(*entry) &&
                MiscTool::getFileType(*entry) != kEntryTypeLink)
                runQueue(controller->downloadButton, step + QLatin1Char(' ') + argument, false);
            else
                operate(app->downloadDelegate(), controller->downloadButton, step, argument);
        } else if (step == QLatin1String("put")) {
            toolkit->panelPaths.append(arguments);
            runQueue(controller->uploadButton, step + QLatin1Char(' ') + argument, true);
        } else if (step == QLatin1String("select")) {
            selectRows(arguments);
        } else if (step == QLatin1String("get-selected")) {
            runQueue(controller->downloadButton, step, false);
        } else if (step == QLatin1String("mkdir")) {
            toolkit->promptTexts.append(argument);
            operate(app->createDirDelegate(), controller->createDirButton, step, argument);
        } else if (step == QLatin1String("rm")) {
            selectRow(argument);
            operate(app->deleteDelegate(), controller->deleteButton, step, argument);
        } else if (step == QLatin1String("sort")) {
            sortBy(argument, second);
        } else if (step == QLatin1String("filter")) {
            controller->filterField->clear();
            controller->filterField->insert(argument);
            printRows();
        } else if (step == QLatin1String("rename")) {
            rename(argument, second);
        } else if (step == QLatin1String("save-site")) {
            saveSite(argument);
        } else if (step == QLatin1String("sites")) {
            printSites();
        } else {
            fail(QStringLiteral("unknown step ") + step);
        }
        if (options.timing)
            print({QStringLiteral("time"), step,
                   QString::number(clock.nsecsElapsed() / 1e9, 'f', 3)});
        print({QStringLiteral("status"),
               cancelled ? controller->statusLabel->text() : controller->status});
    }
    if (options.timing)
        printFigures();
}

void Driver::waitForListing(const QString& step)
{
    if (!runUntil([this] { return !listingRunning; }))
        fail(QStringLiteral("step '%1': the listing did not end in time").arg(step));
    if (!controller->status.startsWith(QLatin1String("List succeeded")))
        fail(QStringLiteral("step '%1': the listing failed: %2")
                 .arg(step, controller->statusLabel->text()));
}

// Runs the event loop until done() holds, woken by the ends of listings and operations,
// bounded by --timeout. A plain event loop: polling with pauses would slow every transfer.
bool Driver::runUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    deadline.start(options.timeoutSeconds * 1000);
    waiting = &loop;
    while (!done() && !timedOut)
        loop.exec();
    waiting = nullptr;
    return done();
}

void Driver::wake()
{
    if (waiting)
        waiting->quit();
}

} // namespace drive
