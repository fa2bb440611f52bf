<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="Host">
        <source>Host</source>
        <translation>Server</translation>
    </message>
    <message id="HostPlaceholder">
        <source>ftp.example.org</source>
        <translation>ftp.beispiel.de</translation>
    </message>
    <message id="Port">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="Directory">
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message id="DirectoryPlaceholder">
        <source>Start folder (optional)</source>
        <translation>Startordner (optional)</translation>
    </message>
    <message id="PassiveMode">
        <source>Passive mode</source>
        <translation>Passiver Modus</translation>
    </message>
    <message id="Anonymous">
        <source>Anonymous login</source>
        <translation>Anonyme Anmeldung</translation>
    </message>
    <message id="User">
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message id="Password">
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message id="UseProxy">
        <source>Use a proxy</source>
        <translation>Proxy verwenden</translation>
    </message>
    <message id="ProxyHost">
        <source>proxy.example.org or socks5://host</source>
        <translation>proxy.beispiel.de oder socks5://host</translation>
    </message>
    <message id="ProxyUser">
        <source>Proxy user</source>
        <translation>Proxy-Benutzer</translation>
    </message>
    <message id="ProxyPassword">
        <source>Proxy password</source>
        <translation>Proxy-Passwort</translation>
    </message>
    <message id="PlsNewDir">
        <source>Name of the new folder:</source>
        <translation>Name des neuen Ordners:</translation>
    </message>
    <message id="OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="Cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="DeleteConfirm">
        <source>Delete the selected item?</source>
        <translation>Ausgewählten Eintrag löschen?</translation>
    </message>
    <message id="DeleteInfo">
        <source>It is removed from the server and cannot be restored.</source>
        <translation>Er wird vom Server entfernt und kann nicht wiederhergestellt werden.</translation>
    </message>
    <message id="NotSupportAlert">
        <source>Folders cannot be downloaded</source>
        <translation>Ordner können nicht heruntergeladen werden</translation>
    </message>
    <message id="DirDownloadNotSupport">
        <source>Select a file to download it; open a folder by double-clicking it.</source>
        <translation>Wählen Sie eine Datei zum Herunterladen; einen Ordner öffnen Sie per Doppelklick.</translation>
    </message>
    <message id="Download">
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message id="Upload">
        <source>Upload</source>
        <translation>Hochladen</translation>
    </message>
    <message id="Connect">
        <source>Connect to the server</source>
        <translation>Mit dem Server verbinden</translation>
    </message>
    <message id="Running">
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message id="StatusBusy">
        <source>Refused: another transfer or folder operation is still running</source>
        <translation>Abgelehnt: eine andere Übertragung oder Ordneraktion läuft noch</translation>
    </message>
    <message id="StatusRefusedDownload">
        <source>Refused to download "%1": %2</source>
        <translation>Herunterladen von „%1“ abgelehnt: %2</translation>
    </message>
    <message id="StatusRefusedUpload">
        <source>Refused to upload "%1": %2</source>
        <translation>Hochladen von „%1“ abgelehnt: %2</translation>
    </message>
    <message id="StatusRefusedCreate">
        <source>Refused to create "%1": %2</source>
        <translation>Anlegen von „%1“ abgelehnt: %2</translation>
    </message>
    <message id="StatusRefusedDelete">
        <source>Refused to delete "%1": %2</source>
        <translation>Löschen von „%1“ abgelehnt: %2</translation>
    </message>
    <message id="StatusDownloadFolderMissing">
        <source>The download folder "%1" does not exist</source>
        <translation>Der Download-Ordner „%1“ existiert nicht</translation>
    </message>
    <message id="StatusDownloadFolderNotMade">
        <source>Cannot create the download folder "%1": %2</source>
        <translation>Der Download-Ordner „%1“ kann nicht angelegt werden: %2</translation>
    </message>
    <message id="StatusFtpError">
        <source>FTP error %1</source>
        <translation>FTP-Fehler %1</translation>
    </message>
    <message id="StatusDownloadIncomplete">
        <source>Download incomplete: %1 of %2 bytes</source>
        <translation>Download unvollständig: %1 von %2 Bytes</translation>
    </message>
    <message id="StatusUploadNotConfirmed">
        <source>Upload not confirmed by the server</source>
        <translation>Upload vom Server nicht bestätigt</translation>
    </message>
    <message id="StatusDeleteFailed">
        <source>Delete failed</source>
        <translation>Löschen fehlgeschlagen</translation>
    </message>
    <message id="StatusDeleteFailedBecause">
        <source>Delete failed: %1</source>
        <translation>Löschen fehlgeschlagen: %1</translation>
    </message>
    <message id="DisconnectCancelAlert">
        <source>A transfer is running</source>
        <translation>Eine Übertragung läuft</translation>
    </message>
    <message id="DisconnectCancelInfo">
        <source>Disconnecting cancels it. A cancelled download keeps its partial file and continues where it stopped when you download the file again.</source>
        <translation>Trennen bricht sie ab. Ein abgebrochener Download behält seine Teildatei und setzt dort fort, wo er stehen blieb, wenn Sie die Datei erneut laden.</translation>
    </message>
    <message id="CancelTransfer">
        <source>Cancel and Disconnect</source>
        <translation>Abbrechen und trennen</translation>
    </message>
    <message id="KeepTransfer">
        <source>Keep Running</source>
        <translation>Weiterlaufen lassen</translation>
    </message>
    <message id="StatusCancelledUpload">
        <source>Cancelled (the server may keep a partial file)</source>
        <translation>Abgebrochen (der Server behält eventuell eine Teildatei)</translation>
    </message>
    <message id="StatusResumeRefused">
        <source>Resume refused by the server; downloaded from the start</source>
        <translation>Fortsetzen vom Server abgelehnt; von vorn geladen</translation>
    </message>
</context>
</TS>
