// tandrel-drive: runs the real Tandrel window headless, fills in the settings from its options,
// connects and performs the given steps through the same actions a user triggers, printing
// what the window shows. For tests, benchmarks and bug reports.
//
//   tandrel-drive --host 127.0.0.1 --port 2121 --anonymous list cd "a b" up reload
//   tandrel-drive ... --download-folder /tmp/in get "a b.txt" put /tmp/x.bin mkdir new rm old.txt
//
// Steps: list, cd NAME, up, reload; get NAME (download the row), put LOCALPATH... (upload those
// files, chosen together in the open panel), mkdir NAME (create a folder), rm NAME (delete the
// row, confirmed); select NAME... (click the first name's row, Ctrl-click the others'),
// get-selected (download the selection and wait until the queue is empty); sort COLUMN asc|desc
// (click the header of FileName, FileSize or ModifiedTime until it sorts that way), filter TEXT
// (type into the filter field), rename OLD NEW (F2 on the row, the new name typed into the
// editor); cancel-at PERCENT (the next download or upload is cancelled with the Cancel button
// when its percentage first reaches PERCENT; that step then prints the status line,
// "Cancelled", and the run goes on). The names of select and the files of put run up to the next
// word that names a step, or the end. Rows print in the order the table shows them. While a
// download or upload runs, every change of the queue display prints
//   progress <TAB> percentage label <TAB> first bar's value <TAB> second bar's value
// and get-selected and put end with one line per transfer they queued:
//   queue <TAB> name <TAB> outcome (Done, or the failure as the status line tells it)
// A step that fails prints the window's status line as a "status" line (and with --timing the
// figures below), then ends the run with exit status 1 and the reason on standard error.
// --timing prints each step's seconds, and at the end of the run, or before a failure ends it,
//   stall-max-ms <TAB> the longest time the event loop was held (between ticks of a 5 ms timer)
//   peak-rss-kib <TAB> the process's peak resident memory
//
// --encryption MODE chooses if-available, require, implicit or none. An untrusted or changed
// certificate is trusted only when its SHA-256 fingerprint is the --trust-fingerprint HEX given
// (as `openssl x509 -noout -fingerprint -sha256` prints it); otherwise the dialog is cancelled.
// After connecting, one line tells the protection: encryption <TAB> tls1.3 verified | tls1.2
// trusted | none.
//
// The settings start empty in a throwaway folder, as a new user's; --settings DIR keeps them in
// DIR from run to run, so that a later run starts as a returning user's does.

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Classes/Controller.h"
#include "Classes/ListingTableModel.h"
#include "Classes/QueueDisplay.h"
#include "Classes/TransferQueue.h"
#include "CreateDirDelegate.h"
#include "CustomWindow.h"
#include "DeleteDelegate.h"
#include "DownloadDelegate.h"
#include "RenameDelegate.h"
#include "TandrelApp.h"
#include "UploadDelegate.h"
#include "platform/toolkit/Toolkit.h"

namespace {

struct Options
{
    QString host, port, dir, user, password;
    bool anonymous = false;
    bool active = false;
    QString proxyHost, proxyPort, proxyUser, proxyPassword;
    QString downloadFolder;
    QString encryption;
    QString trustFingerprint;
    QString settings;
    bool timing = false;
    int timeoutSeconds = 300;
    QStringList steps;
};

void print(const QStringList& fields)
{
    std::printf("%s\n", fields.join(QLatin1Char('\t')).toUtf8().constData());
    std::fflush(stdout);
}

// Every step's word: a list of names or files ends before the next of them.
const QStringList kSteps = {
    QStringLiteral("list"),         QStringLiteral("cd"),        QStringLiteral("up"),
    QStringLiteral("reload"),       QStringLiteral("get"),       QStringLiteral("put"),
    QStringLiteral("mkdir"),        QStringLiteral("rm"),        QStringLiteral("select"),
    QStringLiteral("get-selected"), QStringLiteral("sort"),      QStringLiteral("filter"),
    QStringLiteral("rename"),       QStringLiteral("cancel-at"),
};

// What the driver prints before a failure ends the run, once it drives a window.
std::function<void()> beforeFailing;

[[noreturn]] void fail(const QString& reason)
{
    if (beforeFailing)
        std::exchange(beforeFailing, nullptr)();
    std::fprintf(stderr, "tandrel-drive: %s\n", reason.toUtf8().constData());
    std::exit(1);
}

// Alerts get the default button, prompts the queued texts (none: Cancel); open panels get the
// queued paths.
class DriveToolkit final : public Toolkit
{
public:
    // One list of files for each open panel to come.
    QList<QStringList> panelPaths;
    QStringList promptTexts;
    QString trustFingerprint;

    AlertAnswer runModalAlert(const Alert& alert) override
    {
        print({QStringLiteral("alert"), alert.messageText});
        if (alert.hasTextField)
            return promptTexts.isEmpty() ? AlertAnswer{kAlternateReturn, QString()}
                                         : AlertAnswer{kDefaultReturn, promptTexts.takeFirst()};
        return {kDefaultReturn, QString()};
    }
    OpenPanelAnswer runModalOpenPanel(const OpenPanel& /*panel*/) override
    {
        if (panelPaths.isEmpty())
            return {};
        const QStringList paths = panelPaths.takeFirst();
        return {kDefaultReturn, paths.value(0), paths};
    }
    int runModalSecurityAlert(const SecurityAlert& alert) override
    {
        print({QStringLiteral("alert"), alert.problem, alert.certificate.fingerprint});
        const bool matches =
            !trustFingerprint.isEmpty() &&
            alert.certificate.fingerprint.compare(trustFingerprint, Qt::CaseInsensitive) == 0;
        return alert.kind != SecurityAlert::Kind::PlainText && matches ? kDefaultReturn
                                                                       : kAlternateReturn;
    }
    void beginSheet(QDialog* /*sheet*/, QWidget* /*window*/) override {}
    void endSheet(QDialog* /*sheet*/) override {}
};

Options parseOptions(const QStringList& args)
{
    Options options;
    const QMap<QString, QString Options::*> texts = {
        {QStringLiteral("--host"), &Options::host},
        {QStringLiteral("--port"), &Options::port},
        {QStringLiteral("--dir"), &Options::dir},
        {QStringLiteral("--user"), &Options::user},
        {QStringLiteral("--password"), &Options::password},
        {QStringLiteral("--proxy-host"), &Options::proxyHost},
        {QStringLiteral("--proxy-port"), &Options::proxyPort},
        {QStringLiteral("--proxy-user"), &Options::proxyUser},
        {QStringLiteral("--proxy-password"), &Options::proxyPassword},
        {QStringLiteral("--download-folder"), &Options::downloadFolder},
        {QStringLiteral("--encryption"), &Options::encryption},
        {QStringLiteral("--trust-fingerprint"), &Options::trustFingerprint},
        {QStringLiteral("--settings"), &Options::settings},
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (texts.contains(arg)) {
            if (++i >= args.size())
                fail(arg + QStringLiteral(" needs a value"));
            options.*texts[arg] = args[i];
        } else if (arg == QLatin1String("--anonymous")) {
            options.anonymous = true;
        } else if (arg == QLatin1String("--active")) {
            options.active = true;
        } else if (arg == QLatin1String("--timing")) {
            options.timing = true;
        } else if (arg == QLatin1String("--timeout")) {
            if (++i >= args.size())
                fail(QStringLiteral("--timeout needs a value"));
            options.timeoutSeconds = args[i].toInt();
        } else if (arg.startsWith(QLatin1String("--"))) {
            fail(QStringLiteral("unknown option ") + arg);
        } else {
            options.steps.append(arg);
        }
    }
    return options;
}

class Driver
{
public:
    Driver(TandrelApp* app, DriveToolkit* toolkit, const Options& options)
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
        QObject::connect(app->transferQueue(), &TransferQueue::drained, [this] {
            queueDrained = true;
            wake();
        });
        QObject::connect(controller->queueDisplay, &QueueDisplay::changed,
                         [this] { printQueueDisplay(); });
        // The event loop's longest stall: the gap between ticks of a 5 ms timer.
        QObject::connect(&stallTimer, &QTimer::timeout, [this] {
            if (sinceTick.isValid())
                longestStallMs = std::max(longestStallMs, sinceTick.restart() - 5);
            else
                sinceTick.start();
        });
        stallTimer.start(5);
        beforeFailing = [this] {
            print({QStringLiteral("status"), this->controller->statusLabel->text()});
            if (this->options.timing)
                printFigures();
        };
    }

    ~Driver() { beforeFailing = nullptr; }

    void fillSettings()
    {
        controller->hostField->setText(options.host);
        controller->portField->setText(options.port.isEmpty() ? QStringLiteral("21")
                                                              : options.port);
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
            static const QStringList modes = {QStringLiteral("if-available"),
                                              QStringLiteral("require"), QStringLiteral("implicit"),
                                              QStringLiteral("none")};
            if (!modes.contains(options.encryption))
                fail(QStringLiteral("--encryption takes one of ") + modes.join(QLatin1Char(' ')));
            controller->encryptionPopUp->setCurrentIndex(
                static_cast<int>(modes.indexOf(options.encryption)));
        }
        toolkit->trustFingerprint = options.trustFingerprint;
    }

    void connect()
    {
        listingRunning = true;
        connectClock.start();
        controller->connectItem->trigger();
        // A refused connect (a Host or Port that cannot name a server) starts no listing.
        if (!controller->isReceiving())
            listingRunning = false;
        if (!options.downloadFolder.isEmpty()) {
            toolkit->panelPaths.append({options.downloadFolder});
            controller->setLocal();
        }
    }

    void run()
    {
        waitForListing(QStringLiteral("connect"));
        printEncryption();
        for (qsizetype i = 0; i < options.steps.size(); ++i) {
            const QString step = options.steps[i];
            QString argument;
            QStringList arguments;
            static const QStringList withArgument = {
                QStringLiteral("cd"), QStringLiteral("get"),    QStringLiteral("mkdir"),
                QStringLiteral("rm"), QStringLiteral("filter"), QStringLiteral("cancel-at")};
            static const QStringList withArguments = {QStringLiteral("put"),
                                                      QStringLiteral("select")};
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

private:
    // The gap since the loop's last tick counts too: a step that held the loop at its very end.
    void noteLastGap()
    {
        if (sinceTick.isValid())
            longestStallMs = std::max(longestStallMs, sinceTick.elapsed() - 5);
    }

    void printFigures()
    {
        noteLastGap();
        print({QStringLiteral("stall-max-ms"), QString::number(longestStallMs)});
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        print({QStringLiteral("peak-rss-kib"), QString::number(usage.ru_maxrss)});
    }

    void waitForListing(const QString& step)
    {
        if (!runUntil([this] { return !listingRunning; }))
            fail(QStringLiteral("step '%1': the listing did not end in time").arg(step));
        if (!controller->status.startsWith(QLatin1String("List succeeded")))
            fail(QStringLiteral("step '%1': the listing failed: %2")
                     .arg(step, controller->statusLabel->text()));
    }

    template <typename Action> void navigate(Action action)
    {
        if (!controller->preButton->isEnabled() && !controller->reloadButton->isEnabled())
            fail(QStringLiteral("the browser buttons are disabled"));
        listingRunning = true;
        const qsizetype depth = controller->remote->ftpURLStack.size();
        action();
        if (!controller->isReceiving() && controller->remote->ftpURLStack.size() == depth &&
            controller->status != QLatin1String("Receiving"))
            listingRunning = false;
        print({QStringLiteral("location"), controller->ftpLocationLabel->text()});
        waitForListing(QStringLiteral("navigation"));
        printRows();
    }

    void enter(const QString& name)
    {
        const QPoint at = selectRow(name);
        QTableView* table = controller->serverTable;
        listingRunning = true;
        const qsizetype depth = controller->remote->ftpURLStack.size();
        // A click first (selectRow): a double-click alone does not reach the table offscreen.
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        if (controller->remote->ftpURLStack.size() == depth) {
            listingRunning = false;
            fail(QStringLiteral("cd %1: not entered (%2)")
                     .arg(name, controller->statusLabel->text()));
        }
        print({QStringLiteral("location"), controller->ftpLocationLabel->text()});
        waitForListing(QStringLiteral("cd ") + name);
        printRows();
    }

    // Clicks the column's header until the table is sorted by it in that direction.
    void sortBy(const QString& column, const QString& direction)
    {
        const int section = ListingTableModel::columnIdentifiers().indexOf(column);
        if (section < 1 ||
            (direction != QLatin1String("asc") && direction != QLatin1String("desc")))
            fail(QStringLiteral("sort: needs FileName, FileSize or ModifiedTime and asc or desc"));
        const Qt::SortOrder order =
            direction == QLatin1String("asc") ? Qt::AscendingOrder : Qt::DescendingOrder;
        QHeaderView* header = controller->serverTable->horizontalHeader();
        for (int clicks = 0; clicks < 2; ++clicks) {
            if (header->sortIndicatorSection() == section && header->sortIndicatorOrder() == order)
                break;
            const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        }
        printRows();
    }

    // Presses F2 on the row, types the new name into the editor and commits it; waits for the
    // rename and the listing after it.
    void rename(const QString& oldName, const QString& newName)
    {
        const QString what = QStringLiteral("rename ") + oldName;
        RemoteOperation* operation = app->renameDelegate();
        selectRow(oldName);
        QTableView* table = controller->serverTable;
        QTest::keyClick(table, Qt::Key_F2);
        auto* editor = table->viewport()->findChild<QLineEdit*>();
        if (!editor)
            fail(what + QStringLiteral(": no editor opened"));
        operationEnded = false;
        operationStatus.reset();
        editor->selectAll();
        editor->insert(newName); // keyClicks types ASCII only
        listingRunning = true;
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor commits with the next pass of the event loop and the request starts with
        // the pass after it.
        for (int pass = 0; pass < 3 && !operationEnded && !operation->isRunning(); ++pass)
            QCoreApplication::processEvents();
        if (!operationEnded && !operation->isRunning()) {
            listingRunning = false;
            fail(what + QStringLiteral(": not started: ") + controller->statusLabel->text());
        }
        if (!runUntil([this] { return operationEnded; }))
            fail(what + QStringLiteral(": did not end in time"));
        if (operationStatus) {
            listingRunning = false;
            fail(what + QStringLiteral(": ") + controller->statusLabel->text());
        }
        waitForListing(what);
        printRows();
    }

    // Clicks the row of that name, as a user selects it; answers where it clicked.
    QPoint selectRow(const QString& name)
    {
        const QPoint at = rowPoint(name);
        QTest::mouseClick(controller->serverTable->viewport(), Qt::LeftButton, {}, at);
        return at;
    }

    // The middle of the name cell of that row, scrolled into view.
    QPoint rowPoint(const QString& name)
    {
        QTableView* table = controller->serverTable;
        const int rows = controller->numberOfRowsInTableView();
        for (int row = 0; row < rows; ++row) {
            if (controller->tableViewObjectValue(QStringLiteral("FileName"), row) != name)
                continue;
            const QModelIndex index = controller->tableIndexOfRow(row);
            if (!index.isValid())
                fail(QStringLiteral("the row %1 is filtered out").arg(name));
            table->scrollTo(index);
            return table->visualRect(index).center();
        }
        fail(QStringLiteral("no row named %1").arg(name));
    }

    // Presses an operation's button and waits, bounded, for the operation's end, and after a
    // success that lists the folder again, for that listing.
    void operate(RemoteOperation* operation, QPushButton* button, const QString& step,
                 const QString& argument)
    {
        const QString what = step + QLatin1Char(' ') + argument;
        if (!button->isEnabled())
            fail(what + QStringLiteral(": the button is disabled"));
        const bool reloads = operation != app->downloadDelegate();
        lastQueueDisplay = queueDisplay();
        operationEnded = false;
        operationStatus.reset();
        listingRunning = reloads;
        button->click();
        if (!operationEnded && !operation->isRunning()) {
            listingRunning = false;
            fail(what + QStringLiteral(": not started: ") + controller->statusLabel->text());
        }
        if (!runUntil([this] { return operationEnded; }))
            fail(what + QStringLiteral(": did not end in time"));
        // A transfer that ended before the cancel reached it was not cancelled.
        cancelled = cancelled && operationStatus;
        if (cancelled) {
            listingRunning = false; // a cancelled upload lists nothing again
            return;
        }
        if (operationStatus)
            fail(what + QStringLiteral(": ") + controller->statusLabel->text());
        if (reloads) {
            waitForListing(what);
            printRows();
        }
    }

    // Clicks the first name's row and Ctrl-clicks the others', as a user selects several.
    void selectRows(const QStringList& names)
    {
        selectRow(names.first());
        QTableView* table = controller->serverTable;
        for (const QString& name : names.mid(1))
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              rowPoint(name));
    }

    // Presses a button that queues transfers and waits, bounded, until the queue is empty, and
    // when uploads listed the folder again, for that listing. One line per transfer queued.
    void runQueue(QPushButton* button, const QString& what, bool reloads)
    {
        if (!button->isEnabled())
            fail(what + QStringLiteral(": the button is disabled"));
        TransferQueue* queue = app->transferQueue();
        const int first = queue->rowCount();
        lastQueueDisplay = queueDisplay();
        queueDrained = false;
        listingRunning = reloads;
        button->click();
        if (queue->rowCount() == first) {
            listingRunning = false;
            fail(what + QStringLiteral(": nothing queued: ") + controller->statusLabel->text());
        }
        // A note on what was left out ("Skipped 1 folder").
        if (controller->statusLabel->text() != controller->status)
            print({QStringLiteral("status"), controller->statusLabel->text()});
        if (!runUntil([this] { return queueDrained; }))
            fail(what + QStringLiteral(": the queue did not end in time"));
        // A listing, if any, started before the queue said it was empty.
        if (!controller->isReceiving())
            listingRunning = false;
        if (reloads) {
            waitForListing(what);
            printRows();
        }
        bool allDone = true;
        for (int row = first; row < queue->rowCount(); ++row) {
            const TransferQueue::Transfer& transfer = queue->transfers().at(row);
            allDone = allDone && transfer.succeeded;
            print({QStringLiteral("queue"), transfer.name,
                   queue->data(queue->index(row, TransferQueue::OutcomeColumn)).toString()});
        }
        if (!allDone)
            fail(what + QStringLiteral(": not every transfer succeeded"));
    }

    // Runs the event loop until done() holds, woken by the ends of listings and operations,
    // bounded by --timeout. A plain event loop: polling with pauses would slow every transfer.
    bool runUntil(const std::function<bool()>& done)
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

    void wake()
    {
        if (waiting)
            waiting->quit();
    }

    QStringList queueDisplay() const
    {
        return {QStringLiteral("progress"), controller->percentageLabel->text(),
                QString::number(controller->progress->value()),
                QString::number(controller->progress0->value())};
    }

    void printQueueDisplay()
    {
        QStringList now = queueDisplay();
        if (now == lastQueueDisplay)
            return;
        print(now);
        lastQueueDisplay = std::move(now);
        const QString label = controller->percentageLabel->text();
        if (cancelAt && label.endsWith(QLatin1Char('%')) && label.chopped(1).toInt() >= *cancelAt) {
            cancelAt.reset();
            cancelled = true;
            // Pressed from the event loop, as a user's click comes.
            QTimer::singleShot(0, controller->cancelButton, &QPushButton::click);
        }
    }

    void printEncryption()
    {
        const ConnectionSecurity& security = controller->connectionSecurity;
        const QString protocol = security.protocol.toLower().remove(QLatin1Char('v'));
        switch (security.state) {
        case ConnectionSecurity::State::Plain:
            print({QStringLiteral("encryption"), QStringLiteral("none")});
            break;
        case ConnectionSecurity::State::Verified:
            print({QStringLiteral("encryption"), protocol + QStringLiteral(" verified")});
            break;
        case ConnectionSecurity::State::TrustedByUser:
            print({QStringLiteral("encryption"), protocol + QStringLiteral(" trusted")});
            break;
        }
    }

    void printRows()
    {
        // The driver's own printing is not the window's stall: the gap so far counts, the
        // printing does not.
        noteLastGap();
        const QAbstractItemModel* shown = controller->serverTable->model();
        const int rows = shown->rowCount();
        // One line reused for every row: a string list, a join and a printf per row made the
        // printing of a long listing a fifth slower.
        const QString columns[] = {QStringLiteral("FolderOrFile"), QStringLiteral("FileName"),
                                   QStringLiteral("FileSize"), QStringLiteral("ModifiedTime")};
        QString line;
        for (int at = 0; at < rows; ++at) {
            const int row = controller->listRowOfTableIndex(shown->index(at, 0));
            line.resize(0); // keeps its capacity
            line += QLatin1String("row");
            for (const QString& column : columns) {
                line += QLatin1Char('\t');
                line += controller->tableViewObjectValue(column, row);
            }
            line += QLatin1Char('\n');
            const QByteArray bytes = line.toUtf8();
            std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        }
        // One flush for all rows: a write per row would be the driver's cost, not the window's.
        std::fflush(stdout);
        if (sinceTick.isValid())
            sinceTick.restart();
    }

    TandrelApp* app;
    Controller* controller;
    DriveToolkit* toolkit;
    Options options;
    bool listingRunning = false;
    bool operationEnded = false;
    bool queueDrained = false;
    QEventLoop* waiting = nullptr;
    std::optional<QString> operationStatus;
    // cancel-at: the percentage at which the next transfer is cancelled; whether it was.
    std::optional<int> cancelAt;
    bool cancelled = false;
    QStringList lastQueueDisplay;
    QTimer stallTimer;
    QElapsedTimer sinceTick;
    QElapsedTimer connectClock;
    qint64 longestStallMs = 0;
};

// The folder --settings names, read before the application reads any settings.
QString settingsOption(int argc, char* argv[])
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--settings") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return {};
}

} // namespace

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

    QApplication app(argc, argv);
    const Options options = parseOptions(QApplication::arguments());
    TandrelApp::loadTranslations(app, QLocale(QLocale::English));
    DriveToolkit toolkit;
    Toolkit::setShared(&toolkit);
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
