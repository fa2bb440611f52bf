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
    <message id="LinkNotFolderAlert">
        <source>“%1” is not a folder</source>
        <translation>„%1“ ist kein Ordner</translation>
    </message>
    <message id="LinkNotFolderInfo">
        <source>The link leads to a file. Download it into the download folder?</source>
        <translation>Der Verweis führt zu einer Datei. Soll sie in den Download-Ordner geladen werden?</translation>
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
    <message id="StatusFileChanged">
        <source>The file changed while it was uploaded</source>
        <translation>Die Datei hat sich während des Uploads geändert</translation>
    </message>
    <message id="StatusResumeUnchecked">
        <source>Resume not checked: the server gives no modification time</source>
        <translation>Fortsetzen nicht geprüft: der Server nennt keine Änderungszeit</translation>
    </message>
    <message id="StatusDeleteFailed">
        <source>Delete failed</source>
        <translation>Löschen fehlgeschlagen</translation>
    </message>
    <message id="StatusDeleteFailedBecause">
        <source>Delete failed: %1</source>
        <translation>Löschen fehlgeschlagen: %1</translation>
    </message>
    <message id="StatusSkippedFolder">
        <source>Skipped 1 folder</source>
        <translation>1 Ordner übersprungen</translation>
    </message>
    <message id="StatusSkippedFolders">
        <source>Skipped %1 folders</source>
        <translation>%1 Ordner übersprungen</translation>
    </message>
    <message id="StatusQueued">
        <source>Queued until the running operation ends</source>
        <translation>Wartet, bis die laufende Aktion endet</translation>
    </message>
    <message id="QueueDone">
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message id="QueueWaiting">
        <source>Waiting</source>
        <translation>Wartet</translation>
    </message>
    <message id="QueueRunning">
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message id="QueueDisconnected">
        <source>Not started: disconnected</source>
        <translation>Nicht gestartet: Verbindung getrennt</translation>
    </message>
    <message id="QueueName">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="QueueSize">
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message id="QueueSpeed">
        <source>Speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message id="QueueTimeLeft">
        <source>Time left</source>
        <translation>Restzeit</translation>
    </message>
    <message id="QueueOutcome">
        <source>Outcome</source>
        <translation>Ergebnis</translation>
    </message>
    <message id="Filter">
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message id="FilterTip">
        <source>Show only the names that contain this text (Ctrl+F)</source>
        <translation>Nur Namen zeigen, die diesen Text enthalten (Strg+F)</translation>
    </message>
    <message id="PreButtonTip">
        <source>Parent folder (Backspace, Alt+Up)</source>
        <translation>Übergeordneter Ordner (Rücktaste, Alt+Hoch)</translation>
    </message>
    <message id="ReloadButtonTip">
        <source>List this folder again (F5)</source>
        <translation>Diesen Ordner neu auflisten (F5)</translation>
    </message>
    <message id="DownloadButtonTip">
        <source>Download the selected file (Enter)</source>
        <translation>Ausgewählte Datei herunterladen (Eingabetaste)</translation>
    </message>
    <message id="UploadButtonTip">
        <source>Upload a file into this folder (Ctrl+U)</source>
        <translation>Eine Datei in diesen Ordner hochladen (Strg+U)</translation>
    </message>
    <message id="CreateDirButtonTip">
        <source>Create a folder here (Ctrl+Shift+N)</source>
        <translation>Hier einen Ordner anlegen (Strg+Umschalt+N)</translation>
    </message>
    <message id="DeleteButtonTip">
        <source>Delete the selected file or folder (Delete)</source>
        <translation>Ausgewählte Datei oder Ordner löschen (Entf)</translation>
    </message>
    <message id="MenuDownload">
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message id="MenuRename">
        <source>Rename (F2)</source>
        <translation>Umbenennen (F2)</translation>
    </message>
    <message id="MenuDelete">
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message id="MenuCopyURL">
        <source>Copy URL</source>
        <translation>URL kopieren</translation>
    </message>
    <message id="DeleteFileNamed">
        <source>The file “%1” will be deleted.</source>
        <translation>Die Datei „%1“ wird gelöscht.</translation>
    </message>
    <message id="DeleteFolderNamed">
        <source>The folder “%1” will be deleted.</source>
        <translation>Der Ordner „%1“ wird gelöscht.</translation>
    </message>
    <message id="StatusRefusedRename">
        <source>Refused to rename "%1": %2</source>
        <translation>Umbenennen von „%1“ abgelehnt: %2</translation>
    </message>
    <message id="StatusRenameFailed">
        <source>Rename failed: %1</source>
        <translation>Umbenennen fehlgeschlagen: %1</translation>
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
    <message id="StatusCreateFolderFailed">
        <source>Create folder failed: %1</source>
        <translation>Ordner anlegen fehlgeschlagen: %1</translation>
    </message>
    <message id="StatusDownloading">
        <source>Downloading %1</source>
        <translation>Lade %1 herunter</translation>
    </message>
    <message id="StatusUploading">
        <source>Uploading %1</source>
        <translation>Lade %1 hoch</translation>
    </message>
    <message id="StatusDownloaded">
        <source>Downloaded %1 to %2</source>
        <translation>%1 nach %2 heruntergeladen</translation>
    </message>
    <message id="SettingsUnreadable">
        <source>The settings could not be read</source>
        <translation>Die Einstellungen konnten nicht gelesen werden</translation>
    </message>
    <message id="SettingsMovedAside">
        <source>The settings file was kept as %1; Tandrel started with empty settings.</source>
        <translation>Die Einstellungsdatei wurde als %1 aufbewahrt; Tandrel startet mit leeren Einstellungen.</translation>
    </message>
    <message id="KeyPassphraseNeeded">
        <source>The key %1 is protected by a passphrase</source>
        <translation>Der Schlüssel %1 ist durch eine Passphrase geschützt</translation>
    </message>
    <message id="KeyPassphrasePrompt">
        <source>Passphrase (kept until Tandrel quits, never saved):</source>
        <translation>Passphrase (bleibt bis zum Beenden von Tandrel, wird nie gespeichert):</translation>
    </message>
    <message id="KeyPassphraseUnlock">
        <source>Unlock</source>
        <translation>Entsperren</translation>
    </message>
    <message id="KeyPassphraseCancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
