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
    <message id="SettingsButton">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="SettingsButtonTip">
        <source>Download folder</source>
        <translation>Download folder</translation>
    </message>
    <message id="MinimizeTip">
        <source>Minimise</source>
        <translation>Minimise</translation>
    </message>
    <message id="QuitTip">
        <source>Quit Tandrel</source>
        <translation>Quit Tandrel</translation>
    </message>
    <message id="TabServer">
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message id="TabProxy">
        <source>Proxy</source>
        <translation>Proxy</translation>
    </message>
    <message id="TabBrowser">
        <source>Browser</source>
        <translation>Browser</translation>
    </message>
    <message id="TabQueue">
        <source>Queue</source>
        <translation>Queue</translation>
    </message>
    <message id="Encryption">
        <source>Encryption</source>
        <translation>Encryption</translation>
    </message>
    <message id="EncryptionIfAvailable">
        <source>Use TLS if the server offers it</source>
        <translation>Use TLS if the server offers it</translation>
    </message>
    <message id="EncryptionRequire">
        <source>Require TLS</source>
        <translation>Require TLS</translation>
    </message>
    <message id="EncryptionImplicit">
        <source>Implicit TLS</source>
        <translation>Implicit TLS</translation>
    </message>
    <message id="EncryptionNone">
        <source>Plain FTP (insecure)</source>
        <translation>Plain FTP (insecure)</translation>
    </message>
    <message id="PreButton">
        <source>↑ Up</source>
        <translation>↑ Up</translation>
    </message>
    <message id="ReloadButton">
        <source>↻ Reload</source>
        <translation>↻ Reload</translation>
    </message>
    <message id="CreateDirButton">
        <source>New folder</source>
        <translation>New folder</translation>
    </message>
    <message id="DeleteButton">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="CancelButtonTip">
        <source>Cancel the transfer (Esc)</source>
        <translation>Cancel the transfer (Esc)</translation>
    </message>
    <message id="RemoveTransferButton">
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message id="RemoveTransferTip">
        <source>Remove the selected waiting transfers (Delete)</source>
        <translation>Remove the selected waiting transfers (Delete)</translation>
    </message>
    <message id="RetryTransferTip">
        <source>Run the failed files of the selected folders again (Ctrl+R)</source>
        <translation>Run the failed files of the selected folders again (Ctrl+R)</translation>
    </message>
    <message id="RetryTransferButton">
        <source>Retry Failed</source>
        <translation>Retry Failed</translation>
    </message>
    <message id="ClearTransfersButton">
        <source>Clear Finished</source>
        <translation>Clear Finished</translation>
    </message>
    <message id="ToolbarConnect">
        <source>Connect</source>
        <translation>Connect</translation>
    </message>
    <message id="ToolbarDisconnect">
        <source>Disconnect</source>
        <translation>Disconnect</translation>
    </message>
    <message id="ToolbarSave">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="CancelItem">
        <source>Cancel the transfer</source>
        <translation>Cancel the transfer</translation>
    </message>
    <message id="QuitItem">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="SettingsTitle">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="LocalFolderLabel">
        <source>Downloads go to the folder chosen here.</source>
        <translation>Downloads go to the folder chosen here.</translation>
    </message>
    <message id="LocalButton">
        <source>Choose download folder…</source>
        <translation>Choose download folder…</translation>
    </message>
    <message id="TransfersAtOnceLabel">
        <source>Transfers at once:</source>
        <translation>Transfers at once:</translation>
    </message>
    <message id="TransfersAtOnceTip">
        <source>How many files move at the same time, each on a connection of its own</source>
        <translation>How many files move at the same time, each on a connection of its own</translation>
    </message>
    <message id="CloseButton">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="ListName">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="ListSize">
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message id="ListModified">
        <source>Modified</source>
        <translation>Modified</translation>
    </message>
    <message id="SecurityPlain">
        <source>Not encrypted</source>
        <translation>Not encrypted</translation>
    </message>
    <message id="SecurityVerified">
        <source>%1, certificate verified</source>
        <translation>%1, certificate verified</translation>
    </message>
    <message id="SecurityTrusted">
        <source>%1, certificate trusted by you</source>
        <translation>%1, certificate trusted by you</translation>
    </message>
    <message id="SecurityTrustNotSaved">
        <source>The trusted certificate could not be saved: %1</source>
        <translation>The trusted certificate could not be saved: %1</translation>
    </message>
    <message id="SecurityTlsNotSaved">
        <source>That this host uses TLS could not be saved: %1</source>
        <translation>That this host uses TLS could not be saved: %1</translation>
    </message>
    <message id="SecurityUntrusted">
        <source>The certificate of %1 is not trusted</source>
        <translation>The certificate of %1 is not trusted</translation>
    </message>
    <message id="SecurityChanged">
        <source>The certificate of %1 has changed since you trusted it</source>
        <translation>The certificate of %1 has changed since you trusted it</translation>
    </message>
    <message id="SecurityPlainNow">
        <source>%1 was used with TLS before but does not offer it now</source>
        <translation>%1 was used with TLS before but does not offer it now</translation>
    </message>
    <message id="CertificateSubject">
        <source>Subject: %1</source>
        <translation>Subject: %1</translation>
    </message>
    <message id="CertificateIssuer">
        <source>Issuer: %1</source>
        <translation>Issuer: %1</translation>
    </message>
    <message id="CertificateValidity">
        <source>Valid from %1 until %2</source>
        <translation>Valid from %1 until %2</translation>
    </message>
    <message id="CertificateTrustedBefore">
        <source>Trusted before: %1</source>
        <translation>Trusted before: %1</translation>
    </message>
    <message id="SecurityPlainWarning">
        <source>Without TLS, the password and the files travel readable.</source>
        <translation>Without TLS, the password and the files travel readable.</translation>
    </message>
    <message id="SecurityConnectPlain">
        <source>Connect without encryption</source>
        <translation>Connect without encryption</translation>
    </message>
    <message id="SecurityTrust">
        <source>Trust this certificate</source>
        <translation>Trust this certificate</translation>
    </message>
    <message id="StatusUnreadableLine">
        <source> (1 line could not be read)</source>
        <translation> (1 line could not be read)</translation>
    </message>
    <message id="StatusUnreadableLines">
        <source> (%1 lines could not be read)</source>
        <translation> (%1 lines could not be read)</translation>
    </message>
    <message id="StatusListingCancelled">
        <source>Listing cancelled</source>
        <translation>Listing cancelled</translation>
    </message>
    <message id="StatusListingTooLong">
        <source>Listing stopped at %L1 bytes</source>
        <translation>Listing stopped at %L1 bytes</translation>
    </message>
    <message id="StatusListingLineTooLong">
        <source>Listing stopped: a line longer than %L1 bytes</source>
        <translation>Listing stopped: a line longer than %L1 bytes</translation>
    </message>
    <message id="StatusCannotConnect">
        <source>Cannot connect: %1</source>
        <translation>Cannot connect: %1</translation>
    </message>
    <message id="StatusRefusedFolder">
        <source>Refused to open the folder &quot;%1&quot;: %2</source>
        <translation>Refused to open the folder &quot;%1&quot;: %2</translation>
    </message>
    <message id="HostProblem">
        <source>Host &quot;%1&quot; %2</source>
        <translation>Host &quot;%1&quot; %2</translation>
    </message>
    <message id="HostEmpty">
        <source>Host is empty</source>
        <translation>Host is empty</translation>
    </message>
    <message id="HostHoldsSpace">
        <source>holds a space or control character</source>
        <translation>holds a space or control character</translation>
    </message>
    <message id="HostHoldsSlash">
        <source>holds a &quot;/&quot;: a folder goes in the Directory field</source>
        <translation>holds a &quot;/&quot;: a folder goes in the Directory field</translation>
    </message>
    <message id="HostHoldsAt">
        <source>holds an &quot;@&quot;: the login goes in the User field</source>
        <translation>holds an &quot;@&quot;: the login goes in the User field</translation>
    </message>
    <message id="HostNotIpv6">
        <source>is not an IPv6 address in brackets</source>
        <translation>is not an IPv6 address in brackets</translation>
    </message>
    <message id="HostIpv6Brackets">
        <source>is an IPv6 address without brackets: write [%1]</source>
        <translation>is an IPv6 address without brackets: write [%1]</translation>
    </message>
    <message id="HostHoldsColon">
        <source>holds a &quot;:&quot;: the port goes in the Port field</source>
        <translation>holds a &quot;:&quot;: the port goes in the Port field</translation>
    </message>
    <message id="HostNotIpv4">
        <source>is not an IPv4 address</source>
        <translation>is not an IPv4 address</translation>
    </message>
    <message id="HostNotName">
        <source>is not a host name</source>
        <translation>is not a host name</translation>
    </message>
    <message id="PortEmpty">
        <source>Port is empty</source>
        <translation>Port is empty</translation>
    </message>
    <message id="PortNotNumber">
        <source>Port &quot;%1&quot; is not a number from 1 to 65535</source>
        <translation>Port &quot;%1&quot; is not a number from 1 to 65535</translation>
    </message>
    <message id="StatusNotAFile">
        <source>Not a file</source>
        <translation>Not a file</translation>
    </message>
    <message id="NameEmpty">
        <source>the name is empty</source>
        <translation>the name is empty</translation>
    </message>
    <message id="NameNoEntry">
        <source>"%1" names no entry of its own</source>
        <translation>"%1" names no entry of its own</translation>
    </message>
    <message id="NameHoldsSlash">
        <source>the name holds a "/"</source>
        <translation>the name holds a "/"</translation>
    </message>
    <message id="NameHoldsLineBreak">
        <source>the name holds a line break or NUL</source>
        <translation>the name holds a line break or NUL</translation>
    </message>
    <message id="NameHoldsControl">
        <source>the name holds a control character</source>
        <translation>the name holds a control character</translation>
    </message>
    <message id="NameHoldsDirection">
        <source>the name holds a text direction character</source>
        <translation>the name holds a text direction character</translation>
    </message>
    <message id="NameTooLong">
        <source>the name is longer than %1 bytes</source>
        <translation>the name is longer than %1 bytes</translation>
    </message>
    <message id="CertificateSelfSigned">
        <source>is self-signed</source>
        <translation>is self-signed</translation>
    </message>
    <message id="CertificateUnknownIssuer">
        <source>was issued by an unknown authority</source>
        <translation>was issued by an unknown authority</translation>
    </message>
    <message id="CertificateRevoked">
        <source>has been revoked</source>
        <translation>has been revoked</translation>
    </message>
    <message id="CertificateNotVerifiedBecause">
        <source>could not be verified (%1)</source>
        <translation>could not be verified (%1)</translation>
    </message>
    <message id="CertificateExpired">
        <source>has expired</source>
        <translation>has expired</translation>
    </message>
    <message id="CertificateNotYetValid">
        <source>is not valid yet</source>
        <translation>is not valid yet</translation>
    </message>
    <message id="CertificateMoreNames">
        <source>%1 more</source>
        <translation>%1 more</translation>
    </message>
    <message id="CertificateOtherHost">
        <source>is for another host name</source>
        <translation>is for another host name</translation>
    </message>
    <message id="CertificateOtherHostNamed">
        <source>is for another host name (it names %1)</source>
        <translation>is for another host name (it names %1)</translation>
    </message>
    <message id="CertificateNotVerified">
        <source>The server's certificate could not be verified</source>
        <translation>The server's certificate could not be verified</translation>
    </message>
    <message id="CertificateProblems">
        <source>The server's certificate %1</source>
        <translation>The server's certificate %1</translation>
    </message>
    <message id="CertificateProblemsAnd">
        <source>%1 and %2</source>
        <translation>%1 and %2</translation>
    </message>
    <message id="TlsNotOffered">
        <source>The server does not offer TLS</source>
        <translation>The server does not offer TLS</translation>
    </message>
    <message id="CertificateNotTrustedOne">
        <source>The server's certificate is not the one you trusted</source>
        <translation>The server's certificate is not the one you trusted</translation>
    </message>
    <message id="TlsHandshakeFailed">
        <source>The TLS handshake with the server failed</source>
        <translation>The TLS handshake with the server failed</translation>
    </message>
    <message id="CertificateAuthoritiesUnreadable">
        <source>The certificate authorities could not be read</source>
        <translation>The certificate authorities could not be read</translation>
    </message>
    <message id="TrustStoreKeptAside">
        <source>The trusted certificates could not be read and were kept as %1; until that copy is removed, Tandrel asks before any log-in without TLS</source>
        <translation>The trusted certificates could not be read and were kept as %1; until that copy is removed, Tandrel asks before any log-in without TLS</translation>
    </message>
    <message id="TrustStoreUnreadable">
        <source>The trusted certificates in %1 cannot be read; Tandrel asks before any log-in without TLS</source>
        <translation>The trusted certificates in %1 cannot be read; Tandrel asks before any log-in without TLS</translation>
    </message>
    <message id="TrustStoreNotMoved">
        <source>%1 could not be read or moved aside: %2</source>
        <translation>%1 could not be read or moved aside: %2</translation>
    </message>
    <message id="TreeOneFile">
        <source>1 file</source>
        <translation>1 file</translation>
    </message>
    <message id="TreeFiles">
        <source>%L1 files</source>
        <translation>%L1 files</translation>
    </message>
    <message id="TreeOneFolder">
        <source>1 folder</source>
        <translation>1 folder</translation>
    </message>
    <message id="TreeFolders">
        <source>%L1 folders</source>
        <translation>%L1 folders</translation>
    </message>
    <message id="StatusListingToDelete">
        <source>Listing "%1" to delete it</source>
        <translation>Listing "%1" to delete it</translation>
    </message>
    <message id="DeleteTreeUnaddressable">
        <source>names in it that no request can carry: %L1</source>
        <translation>names in it that no request can carry: %L1</translation>
    </message>
    <message id="DeleteTreeNamed">
        <source>Delete "%1" with %2 in %3?</source>
        <translation>Delete "%1" with %2 in %3?</translation>
    </message>
    <message id="DeleteTreeNotListed">
        <source>cannot list "%1": %2</source>
        <translation>cannot list "%1": %2</translation>
    </message>
    <message id="StatusDeletingTree">
        <source>Deleting "%1"</source>
        <translation>Deleting "%1"</translation>
    </message>
    <message id="DeleteTreeLeft">
        <source>%1; %2 in %3 left</source>
        <translation>%1; %2 in %3 left</translation>
    </message>
    <message id="TreeLoop">
        <source>lists as a folder above it (a loop)</source>
        <translation>lists as a folder above it (a loop)</translation>
    </message>
    <message id="TreeLinkSkipped">
        <source>a link that leads out of the folder or to a folder</source>
        <translation>a link that leads out of the folder or to a folder</translation>
    </message>
    <message id="TreeNotRegular">
        <source>not a regular file</source>
        <translation>not a regular file</translation>
    </message>
    <message id="QueueLinkNotFile">
        <source>a link to no file</source>
        <translation>a link to no file</translation>
    </message>
    <message id="QueueExistsOverwrite">
        <source>Overwrite</source>
        <translation>Overwrite</translation>
    </message>
    <message id="QueueExistsIfDifferent">
        <source>Overwrite if the size or date differs</source>
        <translation>Overwrite if the size or date differs</translation>
    </message>
    <message id="QueueExistsResume">
        <source>Resume</source>
        <translation>Resume</translation>
    </message>
    <message id="StatusDiskFull">
        <source>No space left on the disk: %L1 done, %L2 not fetched</source>
        <translation>No space left on the disk: %L1 done, %L2 not fetched</translation>
    </message>
    <message id="QueueExistsSkip">
        <source>Skip</source>
        <translation>Skip</translation>
    </message>
    <message id="QueueExistsKeepBoth">
        <source>Keep both</source>
        <translation>Keep both</translation>
    </message>
    <message id="QueueExistsTitle">
        <source>&quot;%1&quot; is already there</source>
        <translation>&quot;%1&quot; is already there</translation>
    </message>
    <message id="QueueExistsInfo">
        <source>What happens to it and to the other files of this folder already there?</source>
        <translation>What happens to it and to the other files of this folder already there?</translation>
    </message>
    <message id="QueueExistsGoOn">
        <source>Go on</source>
        <translation>Go on</translation>
    </message>
    <message id="QueueNoFreeName">
        <source>no free name beside the file there</source>
        <translation>no free name beside the file there</translation>
    </message>
    <message id="QueueFolderDisconnected">
        <source>Stopped: disconnected</source>
        <translation>Stopped: disconnected</translation>
    </message>
    <message id="QueueFolderRunning">
        <source>%L1 of %L2 files</source>
        <translation>%L1 of %L2 files</translation>
    </message>
    <message id="QueueFileRunning">
        <source>Running, %1%</source>
        <translation>Running, %1%</translation>
    </message>
    <message id="QueueFileSkipped">
        <source>Skipped: %1</source>
        <translation>Skipped: %1</translation>
    </message>
    <message id="QueueFileThere">
        <source>already there</source>
        <translation>already there</translation>
    </message>
    <message id="QueueCancelItem">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="QueueRetryItem">
        <source>Retry</source>
        <translation>Retry</translation>
    </message>
    <message id="QueueFolderOneFile">
        <source>1 file</source>
        <translation>1 file</translation>
    </message>
    <message id="QueueFolderFiles">
        <source>%L1 files</source>
        <translation>%L1 files</translation>
    </message>
    <message id="QueueFolderSkipped">
        <source>%L1 skipped</source>
        <translation>%L1 skipped</translation>
    </message>
    <message id="QueueMoreProblems">
        <source>and %L1 more</source>
        <translation>and %L1 more</translation>
    </message>
    <message id="QueueFolderFailed">
        <source>%L1 failed</source>
        <translation>%L1 failed</translation>
    </message>
    <message id="StatusDownloadedFolder">
        <source>Downloaded %1 to %2 (%3)</source>
        <translation>Downloaded %1 to %2 (%3)</translation>
    </message>
    <message id="StatusUploadedFolder">
        <source>Uploaded %1 (%2)</source>
        <translation>Uploaded %1 (%2)</translation>
    </message>
    <message id="StatusFewerConnections">
        <source>The server refused another connection: going on with %1</source>
        <translation>The server refused another connection: going on with %1</translation>
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
    <message id="Protocol">
        <source>Protocol</source>
        <translation>Protocol</translation>
    </message>
    <message id="KeyFile">
        <source>Key file</source>
        <translation>Key file</translation>
    </message>
    <message id="KeyFilePlaceholder">
        <source>ssh-agent and ~/.ssh/id_* when empty</source>
        <translation>ssh-agent and ~/.ssh/id_* when empty</translation>
    </message>
    <message id="EncryptionNoteSftp">
        <source>SSH protects SFTP connections: the Encryption choice is for FTP.</source>
        <translation>SSH protects SFTP connections: the Encryption choice is for FTP.</translation>
    </message>
    <message id="SecurityHostKeyNotSaved">
        <source>The trusted host key could not be saved: %1</source>
        <translation>The trusted host key could not be saved: %1</translation>
    </message>
    <message id="SecuritySshKnown">
        <source>SSH, host key known</source>
        <translation>SSH, host key known</translation>
    </message>
    <message id="SecuritySshTrusted">
        <source>SSH, host key trusted by you</source>
        <translation>SSH, host key trusted by you</translation>
    </message>
    <message id="SecurityHostKeyUnknown">
        <source>The host key of %1 is not known</source>
        <translation>The host key of %1 is not known</translation>
    </message>
    <message id="SecurityHostKeyChanged">
        <source>WARNING: the host key of %1 has changed</source>
        <translation>WARNING: the host key of %1 has changed</translation>
    </message>
    <message id="SecurityTrustHostKey">
        <source>Trust this host key</source>
        <translation>Trust this host key</translation>
    </message>
    <message id="HostKeyType">
        <source>Key type: %1</source>
        <translation>Key type: %1</translation>
    </message>
    <message id="HostKeyFingerprint">
        <source>Fingerprint: %1</source>
        <translation>Fingerprint: %1</translation>
    </message>
    <message id="HostKeyKnownBefore">
        <source>Known before: %1</source>
        <translation>Known before: %1</translation>
    </message>
    <message id="HostKeyWarning">
        <source>Someone may be listening in; nothing was sent.</source>
        <translation>Someone may be listening in; nothing was sent.</translation>
    </message>
</context>
<context>
    <name>Sites</name>
    <message id="SiteLabel">
        <source>Site</source>
        <translation>Site</translation>
    </message>
    <message id="SiteNew">
        <source>New</source>
        <translation>New</translation>
    </message>
    <message id="SiteRename">
        <source>Rename</source>
        <translation>Rename</translation>
    </message>
    <message id="SiteDuplicate">
        <source>Duplicate</source>
        <translation>Duplicate</translation>
    </message>
    <message id="SiteDelete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="SiteDefaultName">
        <source>My server</source>
        <translation>My server</translation>
    </message>
    <message id="PasswordsInFile">
        <source>Passwords are saved in a file only you can read</source>
        <translation>Passwords are saved in a file only you can read</translation>
    </message>
    <message id="SitesUnreadable">
        <source>The saved sites could not be read</source>
        <translation>The saved sites could not be read</translation>
    </message>
    <message id="SitesMovedAside">
        <source>The sites file was kept as %1; Tandrel started with the site in use.</source>
        <translation>The sites file was kept as %1; Tandrel started with the site in use.</translation>
    </message>
    <message id="SiteNameRefused">
        <source>The site was not saved</source>
        <translation>The site was not saved</translation>
    </message>
    <message id="SiteNameEmpty">
        <source>A site needs a name.</source>
        <translation>A site needs a name.</translation>
    </message>
    <message id="SiteNameTaken">
        <source>A site named "%1" exists already.</source>
        <translation>A site named "%1" exists already.</translation>
    </message>
    <message id="SiteNewPrompt">
        <source>Name of the new site:</source>
        <translation>Name of the new site:</translation>
    </message>
    <message id="SiteRenamePrompt">
        <source>New name of the site:</source>
        <translation>New name of the site:</translation>
    </message>
    <message id="SiteDuplicatePrompt">
        <source>Name of the copy:</source>
        <translation>Name of the copy:</translation>
    </message>
    <message id="SiteCopyName">
        <source>%1 (copy)</source>
        <translation>%1 (copy)</translation>
    </message>
    <message id="SiteDeleteConfirm">
        <source>Delete the site "%1"?</source>
        <translation>Delete the site "%1"?</translation>
    </message>
    <message id="SiteDeleteInfo">
        <source>Its settings and saved passwords are removed.</source>
        <translation>Its settings and saved passwords are removed.</translation>
    </message>
    <message id="LinkRefused">
        <source>Tandrel cannot open this link</source>
        <translation>Tandrel cannot open this link</translation>
    </message>
    <message id="LinkHasSpace">
        <source>The link holds a space or a control character.</source>
        <translation>The link holds a space or a control character.</translation>
    </message>
    <message id="LinkNotALink">
        <source>"%1" is not a link to a server.</source>
        <translation>"%1" is not a link to a server.</translation>
    </message>
    <message id="LinkScheme">
        <source>Tandrel opens ftp://, ftps:// and sftp:// links, not %1://.</source>
        <translation>Tandrel opens ftp://, ftps:// and sftp:// links, not %1://.</translation>
    </message>
    <message id="LinkFolderBreak">
        <source>The link's folder holds a line break or a NUL.</source>
        <translation>The link's folder holds a line break or a NUL.</translation>
    </message>
    <message id="ReadingKeyring">
        <source>Reading the password from the keyring…</source>
        <translation>Reading the password from the keyring…</translation>
    </message>
</context>
</TS>
