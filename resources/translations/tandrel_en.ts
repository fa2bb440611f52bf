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
    <message id="StatusDeleteFailed">
        <source>Delete failed</source>
        <translation>Delete failed</translation>
    </message>
    <message id="StatusDeleteFailedBecause">
        <source>Delete failed: %1</source>
        <translation>Delete failed: %1</translation>
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
</context>
</TS>
