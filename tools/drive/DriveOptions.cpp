#include "drive/DriveOptions.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <QMap>

namespace drive {

void print(const QStringList& fields)
{
    std::printf("%s\n", fields.join(QLatin1Char('\t')).toUtf8().constData());
    std::fflush(stdout);
}

const QStringList kSteps = {
    QStringLiteral("list"),         QStringLiteral("cd"),        QStringLiteral("up"),
    QStringLiteral("reload"),       QStringLiteral("get"),       QStringLiteral("put"),
    QStringLiteral("mkdir"),        QStringLiteral("rm"),        QStringLiteral("select"),
    QStringLiteral("get-selected"), QStringLiteral("sort"),      QStringLiteral("filter"),
    QStringLiteral("rename"),       QStringLiteral("cancel-at"), QStringLiteral("save-site"),
    QStringLiteral("sites"),
};

std::function<void()> beforeFailing;

[[noreturn]] void fail(const QString& reason)
{
    if (beforeFailing)
        std::exchange(beforeFailing, nullptr)();
    std::fprintf(stderr, "tandrel-drive: %s\n", reason.toUtf8().constData());
    std::exit(1);
}

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
        {QStringLiteral("--trust-host-key"), &Options::trustFingerprint},
        {QStringLiteral("--protocol"), &Options::protocol},
        {QStringLiteral("--key"), &Options::keyFile},
        {QStringLiteral("--passphrase"), &Options::passphrase},
        {QStringLiteral("--settings"), &Options::settings},
        {QStringLiteral("--site"), &Options::site},
        {QStringLiteral("--url"), &Options::url},
        {QStringLiteral("--connections"), &Options::connections},
        {QStringLiteral("--on-exists"), &Options::onExists},
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
        } else if (arg == QLatin1String("--open-queue")) {
            options.openQueue = true;
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

QString settingsOption(int argc, char* argv[])
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--settings") == 0)
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return {};
}

} // namespace drive
