#include "FtpServer.h"

#include <algorithm>

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>

FtpServer::FtpServer()
    : FtpServer(Options{})
{}

FtpServer::FtpServer(const Options& options)
    : options(options)
{}

FtpServer::FtpServer(const std::function<void(Options&)>& set)
{
    set(options);
}

FtpServer::Options FtpServer::loginOnly()
{
    Options options;
    options.anonymous = false;
    options.user = QStringLiteral("we@ird:us/er");
    options.password = QStringLiteral("p@:/?#% x");
    return options;
}

bool FtpServer::start()
{
    QStringList arguments{QStringLiteral(TANDREL_TEST_SUPPORT_DIR "/ftpserver.py"),
                          QStringLiteral("--root"),
                          folder.path(),
                          QStringLiteral("--port"),
                          QStringLiteral("0"),
                          QStringLiteral("--host"),
                          options.host};
    if (options.anonymous)
        arguments << QStringLiteral("--anonymous-write");
    if (!options.user.isEmpty())
        arguments << QStringLiteral("--user") << options.user << QStringLiteral("--password")
                  << options.password;
    for (const QString& readOnly : options.readOnlyFolders)
        arguments << QStringLiteral("--read-only") << readOnly;
    const std::pair<const char*, QString> valued[] = {
        {"--refuse-suffix", options.refuseSuffix}, {"--hang-suffix", options.hangSuffix},
        {"--short-suffix", options.shortSuffix},   {"--fail-once", options.failOnce},
        {"--drop-suffix", options.dropSuffix},     {"--pasv-address", options.pasvAddress},
        {"--listing", options.listingFile},        {"--no-size", options.noSize},
        {"--opening-size", options.openingSize}};
    for (const auto& [flag, value] : valued)
        if (!value.isEmpty())
            arguments << QString::fromLatin1(flag) << value;
    const std::pair<const char*, bool> switches[] = {{"--no-epsv", options.noEpsv},
                                                     {"--refuse-active", options.refuseActive},
                                                     {"--silent-dele", options.silentDele},
                                                     {"--refuse-rest", options.refuseRest},
                                                     {"--listing-paced", options.listingPaced},
                                                     {"--no-mdtm", options.noMdtm},
                                                     {"--verbose", options.verbose}};
    for (const auto& [flag, on] : switches)
        if (on)
            arguments << QString::fromLatin1(flag);
    if (options.maxConnections > 0)
        arguments << QStringLiteral("--max-connections") << QString::number(options.maxConnections);

    // Debian's pyftpdlib is installed for the system interpreter, whatever is first on PATH.
    if (!process.start(QStringLiteral("/usr/bin/python3"), arguments))
        return false;
    static const QRegularExpression portLine(QStringLiteral("^PORT (\\d+)$"),
                                             QRegularExpression::MultilineOption);
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && process.isRunning()) {
        const auto match = portLine.match(process.output());
        if (match.hasMatch()) {
            listeningPort = match.captured(1).toUShort();
            return listeningPort != 0;
        }
        QThread::msleep(20);
    }
    process.stop();
    return false;
}

QString FtpServer::urlHost() const
{
    return options.host.contains(QLatin1Char(':'))
               ? QLatin1Char('[') + options.host + QLatin1Char(']')
               : options.host;
}

int FtpServer::mostMovingAtOnce() const
{
    int most = 0;
    const QStringList lines = process.output().split(QLatin1Char('\n'));
    for (const QString& line : lines)
        if (line.startsWith(QLatin1String("MOVING ")))
            most = std::max(most, line.mid(7).toInt());
    return most;
}
