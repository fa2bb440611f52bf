<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="Host">
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message id="HostPlaceholder">
        <source>ftp.example.org</source>
        <translation>ftp.example.org</translation>
    </message>
    <message id="Port">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="Directory">
        <source>Folder</source>
        <translation>Folder</translation>
    </message>
    <message id="DirectoryPlaceholder">
        <source>Start folder (optional)</source>
        <translation>Start folder (optional)</translation>
    </message>
    <message id="PassiveMode">
        <source>Passive mode</source>
        <translation>Passive mode</translation>
    </message>
    <message id="Anonymous">
        <source>Anonymous login</source>
        <translation>Anonymous login</translation>
    </message>
    <message id="User">
        <source>User</source>
        <translation>User</translation>
    </message>
    <message id="Password">
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message id="UseProxy">
        <source>Use a proxy</source>
        <translation>Use a proxy</translation>
    </message>
    <message id="ProxyHost">
        <source>proxy.example.org or socks5://host</source>
        <translation>proxy.example.org or socks5://host</translation>
    </message>
    <message id="ProxyUser">
        <source>Proxy user</source>
        <translation>Proxy user</translation>
    </message>
    <message id="ProxyPassword">
        <source>Proxy password</source>
        <translation>Proxy password</translation>
    </message>
    <message id="PlsNewDir">
        <source>Name of the new folder:</source>
        <translation>Name of the new folder:</translation>
    </message>
    <message id="OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="Cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="DeleteConfirm">
        <source>Delete the selected item?</source>
        <translation>Delete the selected item?</translation>
    </message>
    <message id="DeleteInfo">
        <source>It is removed from the server and cannot be restored.</source>
        <translation>It is removed from the server and cannot be restored.</translation>
    </message>
    <message id="NotSupportAlert">
        <source>Folders cannot be downloaded</source>
        <translation>Folders cannot be downloaded</translation>
    </message>
    <message id="DirDownloadNotSupport">
        <source>Select a file to download it; open a folder by double-clicking it.</source>
        <translation>Select a file to download it; open a folder by double-clicking it.</translation>
    </message>
    <message id="LinkNotFolderAlert">
        <source>“%1” is not a folder</source>
        <translation>“%1” is not a folder</translation>
    </message>
    <message id="LinkNotFolderInfo">
        <source>The link leads to a file. Download it into the download folder?</source>
        <translation>The link leads to a file. Download it into the download folder?</translation>
    </message>
    <message id="Download">
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message id="Upload">
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
    <message id="Connect">
        <source>Connect to the server</source>
        <translation>Connect to the server</translation>
    </message>
    <message id="Running">
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message id="StatusBusy">
        <source>Refused: another transfer or folder operation is still running</source>
        <translation>Refused: another transfer or folder operation is still running</translation>
    </message>
    <message id="StatusRefusedDownload">
        <source>Refused to download "%1": %2</source>
        <translation>Refused to download "%1": %2</translation>
    </message>
    <message id="StatusRefusedUpload">
        <source>Refused to upload "%1": %2</source>
        <translation>Refused to upload "%1": %2</translation>
    </message>
    <message id="StatusRefusedCreate">
        <source>Refused to create "%1": %2</source>
        <translation>Refused to create "%1": %2</translation>
    </message>
    <message id="StatusRefusedDelete">
        <source>Refused to delete "%1": %2</source>
        <translation>Refused to delete "%1": %2</translation>
    </message>
    <message id="StatusDownloadFolderMissing">
        <source>The download folder "%1" does not exist</source>
        <translation>The download folder "%1" does not exist</translation>
    </message>
    <message id="StatusDownloadFolderNotMade">
        <source>Cannot create the download folder "%1": %2</source>
        <translation>Cannot create the download folder "%1": %2</translation>
    </message>
    <message id="StatusInvalidUrl">
        <source>Invalid URL</source>
        <translation>Invalid URL</translation>
    </message>
    <message id="StatusStreamOpenError">
        <source>Stream open error</source>
        <translation>Stream open error</translation>
    </message>
    <message id="StatusFtpError">
        <source>FTP error %1</source>
        <translation>FTP error %1</translation>
    </message>
    <message id="StatusNetworkReadError">
        <source>Network read error</source>
        <translation>Network read error</translation>
    </message>
    <message id="StatusNetworkWriteError">
        <source>Network write error</source>
        <translation>Network write error</translation>
    </message>
    <message id="StatusFileReadError">
        <source>File read error</source>
        <translation>File read error</translation>
    </message>
    <message id="StatusFileWriteError">
        <source>File write error</source>
        <translation>File write error</translation>
    </message>
    <message id="StatusDownloadIncomplete">
        <source>Download incomplete: %1 of %2 bytes</source>
        <translation>Download incomplete: %1 of %2 bytes</translation>
    </message>
    <message id="StatusUploadNotConfirmed">
        <source>Upload not confirmed by the server</source>
        <translation>Upload not confirmed by the server</translation>
    </message>
    <message id="StatusFileChanged">
        <source>The file changed while it was uploaded</source>
        <translation>The file changed while it was uploaded</translation>
    </message>
    <message id="StatusResumeUnchecked">
        <source>Resume not checked: the server gives no modification time</source>
        <translation>Resume not checked: the server gives no modification time</translation>
    </message>
    <message id="StatusDeleteFailed">
        <source>Delete failed</source>
        <translation>Delete failed</translation>
    </message>
    <message id="StatusDeleteFailedBecause">
        <source>Delete failed: %1</source>
        <translation>Delete failed: %1</translation>
    </message>
    <message id="StatusSkippedFolder">
        <source>Skipped 1 folder</source>
        <translation>Skipped 1 folder</translation>
    </message>
    <message id="StatusSkippedFolders">
        <source>Skipped %1 folders</source>
        <translation>Skipped %1 folders</translation>
    </message>
    <message id="StatusQueued">
        <source>Queued until the running operation ends</source>
        <translation>Queued until the running operation ends</translation>
    </message>
    <message id="QueueDone">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="QueueWaiting">
        <source>Waiting</source>
        <translation>Waiting</translation>
    </message>
    <message id="QueueRunning">
        <source>Running</source>
        <translation>Running</translation>
    </message>
    <message id="QueueDisconnected">
        <source>Not started: disconnected</source>
        <translation>Not started: disconnected</translation>
    </message>
    <message id="QueueName">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="QueueSize">
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message id="QueueSpeed">
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message id="QueueTimeLeft">
        <source>Time left</source>
        <translation>Time left</translation>
    </message>
    <message id="QueueOutcome">
        <source>Outcome</source>
        <translation>Outcome</translation>
    </message>
    <message id="Filter">
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message id="FilterTip">
        <source>Show only the names that contain this text (Ctrl+F)</source>
        <translation>Show only the names that contain this text (Ctrl+F)</translation>
    </message>
    <message id="PreButtonTip">
        <source>Parent folder (Backspace, Alt+Up)</source>
        <translation>Parent folder (Backspace, Alt+Up)</translation>
    </message>
    <message id="ReloadButtonTip">
        <source>List this folder again (F5)</source>
        <translation>List this folder again (F5)</translation>
    </message>
    <message id="DownloadButtonTip">
        <source>Download the selected file (Enter)</source>
        <translation>Download the selected file (Enter)</translation>
    </message>
    <message id="UploadButtonTip">
        <source>Upload a file into this folder (Ctrl+U)</source>
        <translation>Upload a file into this folder (Ctrl+U)</translation>
    </message>
    <message id="CreateDirButtonTip">
        <source>Create a folder here (Ctrl+Shift+N)</source>
        <translation>Create a folder here (Ctrl+Shift+N)</translation>
    </message>
    <message id="DeleteButtonTip">
        <source>Delete the selected file or folder (Delete)</source>
        <translation>Delete the selected file or folder (Delete)</translation>
    </message>
    <message id="MenuDownload">
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message id="MenuRename">
        <source>Rename (F2)</source>
        <translation>Rename (F2)</translation>
    </message>
    <message id="MenuDelete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="MenuCopyURL">
        <source>Copy URL</source>
        <translation>Copy URL</translation>
    </message>
    <message id="DeleteFileNamed">
        <source>The file “%1” will be deleted.</source>
        <translation>The file “%1” will be deleted.</translation>
    </message>
    <message id="DeleteFolderNamed">
        <source>The folder “%1” will be deleted.</source>
        <translation>The folder “%1” will be deleted.</translation>
    </message>
    <message id="StatusRefusedRename">
        <source>Refused to rename "%1": %2</source>
        <translation>Refused to rename "%1": %2</translation>
    </message>
    <message id="StatusRenameFailed">
        <source>Rename failed: %1</source>
        <translation>Rename failed: %1</translation>
    </message>
    <message id="DisconnectCancelAlert">
        <source>A transfer is running</source>
        <translation>A transfer is running</translation>
    </message>
    <message id="DisconnectCancelInfo">
        <source>Disconnecting cancels it. A cancelled download keeps its partial file and continues where it stopped when you download the file again.</source>
        <translation>Disconnecting cancels it. A cancelled download keeps its partial file and continues where it stopped when you download the file again.</translation>
    </message>
    <message id="CancelTransfer">
        <source>Cancel and Disconnect</source>
        <translation>Cancel and Disconnect</translation>
    </message>
    <message id="KeepTransfer">
        <source>Keep Running</source>
        <translation>Keep Running</translation>
    </message>
    <message id="StatusCancelled">
        <source>Cancelled</source>
        <translation>Cancelled</translation>
    </message>
    <message id="StatusCancelledUpload">
        <source>Cancelled (the server may keep a partial file)</source>
        <translation>Cancelled (the server may keep a partial file)</translation>
    </message>
    <message id="StatusResumeRefused">
        <source>Resume refused by the server; downloaded from the start</source>
        <translation>Resume refused by the server; downloaded from the start</translation>
    </message>
    <message id="StatusCreateFolderFailed">
        <source>Create folder failed: %1</source>
        <translation>Create folder failed: %1</translation>
    </message>
    <message id="StatusDownloading">
        <source>Downloading %1</source>
        <translation>Downloading %1</translation>
    </message>
    <message id="StatusUploading">
        <source>Uploading %1</source>
        <translation>Uploading %1</translation>
    </message>
    <message id="StatusDownloaded">
        <source>Downloaded %1 to %2</source>
        <translation>Downloaded %1 to %2</translation>
    </message>
    <message id="SettingsUnreadable">
        <source>The settings could not be read</source>
        <translation>The settings could not be read</translation>
    </message>
    <message id="SettingsMovedAside">
        <source>The settings file was kept as %1; Tandrel started with empty settings.</source>
        <translation>The settings file was kept as %1; Tandrel started with empty settings.</translation>
    </message>
    <message id="KeyPassphraseNeeded">
        <source>The key %1 is protected by a passphrase</source>
        <translation>The key %1 is protected by a passphrase</translation>
    </message>
    <message id="KeyPassphrasePrompt">
        <source>Passphrase (kept until Tandrel quits, never saved):</source>
        <translation>Passphrase (kept until Tandrel quits, never saved):</translation>
    </message>
    <message id="KeyPassphraseUnlock">
        <source>Unlock</source>
        <translation>Unlock</translation>
    </message>
    <message id="KeyPassphraseCancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
