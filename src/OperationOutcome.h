#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// How a remote operation ended, or why it did not start: one value, which statusText turns into
// the words the window shows. Nothing else composes an operation's status.
struct OperationOutcome
{
    enum class Action
    {
        Download,
        Upload,
        CreateFolder,
        Delete,
        Rename
    };

    enum class Kind
    {
        Succeeded,
        // Not started: another operation holds the one slot.
        Busy,
        // Not started: a folder was to be downloaded; the alert said why.
        NotAFile,
        // Not started: subject is the name as shown, detail why no request may carry it.
        NameRefused,
        // Not started: subject is the download folder, which the user chose and has gone.
        DownloadFolderMissing,
        // Not started: subject is the default download folder, detail why it cannot be made.
        DownloadFolderNotMade,
        InvalidUrl,
        // The stream failed: connection, login, proxy, time-out, or the server's refusal.
        StreamOpenError,
        // The server refused with replyCode; detail holds its reply when it gave one.
        ServerRefused,
        NetworkReadError,
        NetworkWriteError,
        FileReadError,
        FileWriteError,
        // The local file's size or time changed while it was sent.
        FileChanged,
        // The server confirmed a download that holds doneBytes of expectedBytes.
        DownloadIncomplete,
        UploadNotConfirmed,
        // The deletion was not confirmed: replyCode (and the reply in detail) when refused, else
        // detail when known.
        DeleteFailed,
        // The rename was not confirmed: detail is the server's reply (code and words) or why.
        RenameFailed,
        // The user stopped the transfer.
        Cancelled,
    };

    Action action = Action::Download;
    Kind kind = Kind::Succeeded;
    // The server's FTP reply code, for a refusal.
    int replyCode = 0;
    // Why, beyond the kind: a system or network error message.
    QString detail;
    QString subject;
    int64_t doneBytes = 0;
    int64_t expectedBytes = 0;
    // A download that was to continue its partial file had to start over: the server refused
    // to start at an offset. Said in the status line even after a success.
    bool resumeRefused = false;
    // A partial file was continued though the server gave no modification time to tell that
    // the file stayed the same. Said in the status line even after a success.
    bool resumeUnchecked = false;
    // A local file could not be written for want of room: the disk or the user's quota is full,
    // or the file reached the largest size allowed.
    bool diskFull = false;

    bool succeeded() const { return kind == Kind::Succeeded; }
    // The fixed status text of a failure (none after a success), from the string table.
    std::optional<QString> statusText() const;
    // What the status line shows: the status text with the reason behind it, when there is one;
    // after a success, only what the user should know about it (else nothing).
    QString statusLine() const;

    // Fixed English unless the string table has a translation of the id; the German table
    // leaves the transfer's own short texts ("File write error", ...) in English, as the log
    // and the users' reports know them.
    static QString localizedText(const char* id, const char* english);
};
