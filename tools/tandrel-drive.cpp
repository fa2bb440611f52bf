// tandrel-drive: runs the real Tandrel window headless, fills in the settings from its options,
// connects and performs the given steps through the same actions a user triggers, printing
// what the window shows. For tests, benchmarks and bug reports.
//
//   tandrel-drive --host 127.0.0.1 --port 2121 --anonymous list cd "a b" up reload

#include "Classes/Controller.h"
#include "CustomWindow.h"
#include "TandrelApp.h"
#include "platform/toolkit/Toolkit.h"

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

struct Options
{
    QString host, port, dir, user, password;
    bool anonymous = false;
    bool active = false;
    QString proxyHost, proxyPort, proxyUser, proxyPassword;
    QString downloadFolder;
    bool timing = false;
    int timeoutSeconds = 300;
    QStringList steps;
};

void print(const QStringList& fields)
{
    std::printf("%s\n", fields.join(QLatin1Char('\t')).toUtf8().constData());
    std::fflush(stdout);
}

// Runs the event loop until done() holds, at most timeoutMs. Unlike QTest::qWaitFor it never
// sleeps between events, so the timings it measures are the application's own. The drive's
// 5 ms stall timer guarantees a wake-up to look at the clock.
template <typename Predicate>
bool waitFor(Predicate done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

[[noreturn]] void fail(const QString& reason)
{
    std::fprintf(stderr, "tandrel-drive: %s\n", reason.toUtf8().constData());
    std::exit(1);
}

// Alerts get the default button; open panels get the queued paths.
class DriveToolkit final : public Toolkit
{
public:
    QStringList panelPaths;

    AlertAnswer runModalAlert(const Alert& alert) override
    {
        print({QStringLiteral("alert"), alert.messageText});
        return {kDefaultReturn, QString()};
    }
    OpenPanelAnswer runModalOpenPanel(const OpenPanel& /*panel*/) override
    {
        if (panelPaths.isEmpty())
            return {};
        return {kDefaultReturn, panelPaths.takeFirst()};
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
    Driver(Controller* controller, DriveToolkit* toolkit, const Options& options)
        : controller(controller)
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
        });
        // The event loop's longest stall: the gap between ticks of a 5 ms timer.
        QObject::connect(&stallTimer, &QTimer::timeout, [this] {
            if (sinceTick.isValid())
                longestStallMs = std::max(longestStallMs, sinceTick.restart() - 5);
            else
                sinceTick.start();
        });
        stallTimer.start(5);
    }

    void fillSettings()
    {
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
    }

    void connect()
    {
        listingRunning = true;
        connectClock.start();
        controller->connectItem->trigger();
        if (!options.downloadFolder.isEmpty()) {
            toolkit->panelPaths.append(options.downloadFolder);
            controller->setLocal();
        }
    }

    void run()
    {
        for (qsizetype i = 0; i < options.steps.size(); ++i) {
            const QString step = options.steps[i];
            QString argument;
            if (step == QLatin1String("cd")) {
                if (++i >= options.steps.size())
                    fail(QStringLiteral("cd needs a folder name"));
                argument = options.steps[i];
            }
            QElapsedTimer clock;
            clock.start();
            waitForListing(step);
            if (step == QLatin1String("list")) {
                printRows();
            } else if (step == QLatin1String("cd")) {
                enter(argument);
            } else if (step == QLatin1String("up")) {
                navigate([this] { controller->preButton->click(); });
            } else if (step == QLatin1String("reload")) {
                navigate([this] { controller->reloadButton->click(); });
            } else {
                fail(QStringLiteral("unknown step ") + step);
            }
            if (options.timing)
                print({QStringLiteral("time"), step,
                       QString::number(clock.nsecsElapsed() / 1e9, 'f', 3)});
            print({QStringLiteral("status"), controller->status});
        }
        if (options.timing)
            print({QStringLiteral("stall-max-ms"), QString::number(longestStallMs)});
    }

private:
    void waitForListing(const QString& step)
    {
        if (!waitFor([this] { return !listingRunning; }, options.timeoutSeconds * 1000))
            fail(QStringLiteral("step '%1': the listing did not end in time").arg(step));
        if (controller->status != QLatin1String("List succeeded"))
            fail(QStringLiteral("step '%1': the listing failed: %2")
                     .arg(step, controller->statusLabel->text()));
    }

    template <typename Action>
    void navigate(Action action)
    {
        if (!controller->preButton->isEnabled() && !controller->reloadButton->isEnabled())
            fail(QStringLiteral("the browser buttons are disabled"));
        listingRunning = true;
        const qsizetype depth = controller->ftpURLStack.size();
        action();
        if (!controller->isReceiving() && controller->ftpURLStack.size() == depth &&
            controller->status != QLatin1String("Receiving"))
            listingRunning = false;
        print({QStringLiteral("location"), controller->ftpLocationLabel->text()});
        waitForListing(QStringLiteral("navigation"));
        printRows();
    }

    void enter(const QString& name)
    {
        QTableView* table = controller->serverTable;
        const int rows = controller->numberOfRowsInTableView();
        for (int row = 0; row < rows; ++row) {
            if (controller->tableViewObjectValue(QStringLiteral("FileName"), row) != name)
                continue;
            const QModelIndex index = table->model()->index(row, 1);
            table->scrollTo(index);
            const QPoint at = table->visualRect(index).center();
            listingRunning = true;
            const qsizetype depth = controller->ftpURLStack.size();
            // A click first: a double-click alone does not reach the table offscreen.
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
            if (controller->ftpURLStack.size() == depth) {
                listingRunning = false;
                fail(QStringLiteral("cd %1: not entered (%2)").arg(name, controller->statusLabel->text()));
            }
            print({QStringLiteral("location"), controller->ftpLocationLabel->text()});
            waitForListing(QStringLiteral("cd ") + name);
            printRows();
            return;
        }
        fail(QStringLiteral("cd %1: no row of that name").arg(name));
    }

    void printRows()
    {
        const int rows = controller->numberOfRowsInTableView();
        for (int row = 0; row < rows; ++row)
            print({QStringLiteral("row"),
                   controller->tableViewObjectValue(QStringLiteral("FolderOrFile"), row),
                   controller->tableViewObjectValue(QStringLiteral("FileName"), row),
                   controller->tableViewObjectValue(QStringLiteral("FileSize"), row),
                   controller->tableViewObjectValue(QStringLiteral("ModifiedTime"), row)});
    }

    Controller* controller;
    DriveToolkit* toolkit;
    Options options;
    bool listingRunning = false;
    QTimer stallTimer;
    QElapsedTimer sinceTick;
    QElapsedTimer connectClock;
    qint64 longestStallMs = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A throwaway settings folder: the user's own settings are never read or changed.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());

    QApplication app(argc, argv);
    const Options options = parseOptions(QApplication::arguments());
    TandrelApp::loadTranslations(app, QLocale(QLocale::English));
    DriveToolkit toolkit;
    Toolkit::setShared(&toolkit);
    {
        TandrelApp tandrel;
        tandrel.window()->show();
        Driver driver(tandrel.controller(), &toolkit, options);
        driver.fillSettings();
        driver.connect();
        driver.run();
    }
    Toolkit::setShared(nullptr);
    return 0;
}
