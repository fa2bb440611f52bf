#include "DeleteDelegate.h"

#include "Classes/Controller.h"
#include "MiscTool.h"
#include "platform/Log.h"
#include "platform/RemoteName.h"
#include "platform/UrlText.h"
#include "platform/ftp/FtpStream.h"
#include "platform/toolkit/Toolkit.h"

DeleteDelegate::DeleteDelegate(QObject* parent)
    : RemoteOperation(OperationOutcome::Action::Delete, parent)
{}

void DeleteDelegate::deleteAction()
{
    const ListingEntry* entry = selectedEntry();
    if (!entry)
        return;
    // Nothing to confirm for a name no request can carry.
    if (const QString why = RemoteName::whyNotAddressable(rawNameOf(*entry)); !why.isEmpty()) {
        refuseName(MiscTool::getFileName(*entry).value_or(QString()), why);
        return;
    }
    if (!beginOperation())
        return;
    // The confirmation says what goes: a file or a folder, and its name as shown.
    const bool folder = MiscTool::getFileSize(*entry) == QLatin1String("-");
    Toolkit::Alert alert;
    alert.messageText = Controller::localizedString("DeleteConfirm");
    alert.informativeText =
        Controller::localizedString(folder ? "DeleteFolderNamed" : "DeleteFileNamed")
            .arg(Log::printable(MiscTool::getFileName(*entry).value_or(QString()))) +
        QLatin1Char('\n') + Controller::localizedString("DeleteInfo");
    alert.defaultButton = Controller::localizedString("OK");
    alert.alternateButton = Controller::localizedString("Cancel");
    if (Toolkit::shared().runModalAlert(alert).code != Toolkit::kDefaultReturn) {
        abandonOperation();
        return;
    }
    if (deleteFTPFileOrFolder()) {
        controller->reloadAction();
        endOperation(outcome(OperationOutcome::Kind::Succeeded));
    } else {
        report(failure);
        endOperation(failure);
    }
}

bool DeleteDelegate::deleteFTPFileOrFolder()
{
    failure = outcome(OperationOutcome::Kind::DeleteFailed);
    const ListingEntry* entry = selectedEntry();
    if (!entry)
        return false;
    const QByteArray name = rawNameOf(*entry);
    const bool folder = MiscTool::getFileSize(*entry) == QLatin1String("-");
    const std::optional<QUrl> url =
        RemoteName::isAddressable(name) ? credentialedURL(name, folder) : std::nullopt;
    if (!url) {
        failure = outcome(OperationOutcome::Kind::InvalidUrl);
        return false;
    }
    // The login is the URL's; passive mode and the proxy come from the settings, as for every
    // stream, so that with the proxy on nothing bypasses it.
    FtpStreamProperties properties = MiscTool::streamProperties();
    properties.erase(FtpStreamProperty::kCFStreamPropertyFTPUserName);
    properties.erase(FtpStreamProperty::kCFStreamPropertyFTPPassword);
    StreamError error;
    // Waits for the server's answer with the event loop turning (user input held back), so
    // the window keeps painting; bounded by the delete's time-out.
    if (CFURLDestroyResource(*url, properties, &error))
        return true;
    if (error.domain == StreamErrorDomain::FTP)
        failure.replyCode = error.code;
    failure.detail = error.message;
    return false;
}

std::optional<QUrl> DeleteDelegate::credentialedURL(const QByteArray& name, bool folder) const
{
    // The folder shown as its URL stands, and the entry's own bytes.
    const QString plain =
        UrlText::entryURL(controller->getCurrentFTPURL(), name, folder).value_or(QString());
    const QLatin1String scheme("ftp://");
    if (!plain.startsWith(scheme, Qt::CaseInsensitive))
        return std::nullopt;

    // The login as the other operations use it: the saved user, or anonymous.
    const FtpStreamProperties properties = MiscTool::streamProperties();
    const auto text = [&](FtpStreamProperty key) {
        const auto it = properties.find(key);
        return it == properties.end() ? QByteArray() : it->second.toString().toUtf8();
    };
    const QString login =
        UrlText::escapeComponent(text(FtpStreamProperty::kCFStreamPropertyFTPUserName)) +
        QLatin1Char(':') +
        UrlText::escapeComponent(text(FtpStreamProperty::kCFStreamPropertyFTPPassword)) +
        QLatin1Char('@');
    return UrlText::urlWithString(scheme + login + plain.mid(scheme.size()));
}
