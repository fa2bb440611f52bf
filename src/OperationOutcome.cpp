#include "OperationOutcome.h"

#include "platform/Log.h"

namespace {

QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

QString refusedText(OperationOutcome::Action action)
{
    switch (action) {
    case OperationOutcome::Action::Download:
        //% "Refused to download \"%1\": %2"
        return text("StatusRefusedDownload", "Refused to download \"%1\": %2");
    case OperationOutcome::Action::Upload:
        //% "Refused to upload \"%1\": %2"
        return text("StatusRefusedUpload", "Refused to upload \"%1\": %2");
    case OperationOutcome::Action::CreateFolder:
        //% "Refused to create \"%1\": %2"
        return text("StatusRefusedCreate", "Refused to create \"%1\": %2");
    case OperationOutcome::Action::Delete:
        //% "Refused to delete \"%1\": %2"
        return text("StatusRefusedDelete", "Refused to delete \"%1\": %2");
    case OperationOutcome::Action::Rename:
        //% "Refused to rename \"%1\": %2"
        return text("StatusRefusedRename", "Refused to rename \"%1\": %2");
    }
    return QString();
}

} // namespace

std::optional<QString> OperationOutcome::statusText() const
{
    //% "FTP error %1"
    const auto ftpError = [this] { return text("StatusFtpError", "FTP error %1").arg(replyCode); };
    // The server's own reply where the detail holds it, else its code.
    const auto refusal = [&] {
        return !detail.isEmpty() && detail.startsWith(QString::number(replyCode)) ? detail
                                                                                  : ftpError();
    };
    switch (kind) {
    case Kind::Succeeded:
        return std::nullopt;
    case Kind::Busy:
        //% "Refused: another transfer or folder operation is still running"
        return text("StatusBusy", "Refused: another transfer or folder operation is still running");
    case Kind::NotAFile:
        //% "Not a file"
        return text("StatusNotAFile", "Not a file");
    case Kind::NameRefused:
        return refusedText(action).arg(Log::printable(subject), detail);
    case Kind::DownloadFolderMissing:
        //% "The download folder \"%1\" does not exist"
        return text("StatusDownloadFolderMissing", "The download folder \"%1\" does not exist")
            .arg(Log::printable(subject));
    case Kind::DownloadFolderNotMade:
        //% "Cannot create the download folder \"%1\": %2"
        return text("StatusDownloadFolderNotMade", "Cannot create the download folder \"%1\": %2")
            .arg(Log::printable(subject), detail);
    case Kind::InvalidUrl: {
        //% "Invalid URL"
        const QString invalid = text("StatusInvalidUrl", "Invalid URL");
        if (action != Action::Delete)
            return invalid;
        //% "Delete failed: %1"
        return text("StatusDeleteFailedBecause", "Delete failed: %1").arg(invalid);
    }
    case Kind::StreamOpenError:
        //% "Stream open error"
        return text("StatusStreamOpenError", "Stream open error");
    case Kind::ServerRefused:
        if (action == Action::CreateFolder)
            //% "Create folder failed: %1"
            return text("StatusCreateFolderFailed", "Create folder failed: %1").arg(refusal());
        return refusal();
    case Kind::NetworkReadError:
        //% "Network read error"
        return text("StatusNetworkReadError", "Network read error");
    case Kind::NetworkWriteError:
        //% "Network write error"
        return text("StatusNetworkWriteError", "Network write error");
    case Kind::FileReadError:
        //% "File read error"
        return text("StatusFileReadError", "File read error");
    case Kind::FileWriteError:
        //% "File write error"
        return text("StatusFileWriteError", "File write error");
    case Kind::DownloadIncomplete:
        //% "Download incomplete: %1 of %2 bytes"
        return text("StatusDownloadIncomplete", "Download incomplete: %1 of %2 bytes")
            .arg(doneBytes)
            .arg(expectedBytes);
    case Kind::UploadNotConfirmed:
        //% "Upload not confirmed by the server"
        return text("StatusUploadNotConfirmed", "Upload not confirmed by the server");
    case Kind::FileChanged:
        //% "The file changed while it was uploaded"
        return text("StatusFileChanged", "The file changed while it was uploaded");
    case Kind::DeleteFailed:
        if (replyCode == 0 && detail.isEmpty())
            //% "Delete failed"
            return text("StatusDeleteFailed", "Delete failed");
        return text("StatusDeleteFailedBecause", "Delete failed: %1")
            .arg(replyCode != 0 ? refusal() : detail);
    case Kind::RenameFailed:
        //% "Rename failed: %1"
        return text("StatusRenameFailed", "Rename failed: %1")
            .arg(detail.isEmpty() ? ftpError() : detail);
    case Kind::Cancelled:
        if (action == Action::Upload)
            //% "Cancelled (the server may keep a partial file)"
            return text("StatusCancelledUpload", "Cancelled (the server may keep a partial file)");
        //% "Cancelled"
        return text("StatusCancelled", "Cancelled");
    }
    return std::nullopt;
}

QString OperationOutcome::statusLine() const
{
    if (succeeded()) {
        if (resumeRefused)
            //% "Resume refused by the server; downloaded from the start"
            return text("StatusResumeRefused",
                        "Resume refused by the server; downloaded from the start");
        if (resumeUnchecked)
            //% "Resume not checked: the server gives no modification time"
            return text("StatusResumeUnchecked",
                        "Resume not checked: the server gives no modification time");
        return QString();
    }
    const QString status = statusText().value_or(QString());
    // Texts that name their reason themselves carry no detail after them.
    const bool detailShown = kind == Kind::NameRefused || kind == Kind::DownloadFolderNotMade ||
                             kind == Kind::ServerRefused || kind == Kind::DeleteFailed ||
                             kind == Kind::RenameFailed;
    if (detail.isEmpty() || detailShown)
        return status;
    return status + QStringLiteral(": ") + detail;
}

QString OperationOutcome::localizedText(const char* id, const char* english)
{
    const QString translated = qtTrId(id);
    return translated == QLatin1String(id) ? QString::fromUtf8(english) : translated;
}
