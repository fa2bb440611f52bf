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
    <message id="SettingsButton">
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message id="SettingsButtonTip">
        <source>Download folder</source>
        <translation>Download-Ordner</translation>
    </message>
    <message id="MinimizeTip">
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message id="QuitTip">
        <source>Quit Tandrel</source>
        <translation>Tandrel beenden</translation>
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
        <translation>Dateien</translation>
    </message>
    <message id="TabQueue">
        <source>Queue</source>
        <translation>Warteschlange</translation>
    </message>
    <message id="Encryption">
        <source>Encryption</source>
        <translation>Verschlüsselung</translation>
    </message>
    <message id="EncryptionIfAvailable">
        <source>Use TLS if the server offers it</source>
        <translation>TLS nutzen, wenn der Server es anbietet</translation>
    </message>
    <message id="EncryptionRequire">
        <source>Require TLS</source>
        <translation>TLS verlangen</translation>
    </message>
    <message id="EncryptionImplicit">
        <source>Implicit TLS</source>
        <translation>Implizites TLS</translation>
    </message>
    <message id="EncryptionNone">
        <source>Plain FTP (insecure)</source>
        <translation>Unverschlüsseltes FTP (unsicher)</translation>
    </message>
    <message id="PreButton">
        <source>↑ Up</source>
        <translation>↑ Hoch</translation>
    </message>
    <message id="ReloadButton">
        <source>↻ Reload</source>
        <translation>↻ Neu laden</translation>
    </message>
    <message id="CreateDirButton">
        <source>New folder</source>
        <translation>Neuer Ordner</translation>
    </message>
    <message id="DeleteButton">
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message id="CancelButtonTip">
        <source>Cancel the transfer (Esc)</source>
        <translation>Übertragung abbrechen (Esc)</translation>
    </message>
    <message id="RemoveTransferButton">
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message id="RemoveTransferTip">
        <source>Remove the selected waiting transfers (Delete)</source>
        <translation>Ausgewählte wartende Übertragungen entfernen (Entf)</translation>
    </message>
    <message id="RetryTransferTip">
        <source>Run the failed files of the selected folders again (Ctrl+R)</source>
        <translation>Die fehlgeschlagenen Dateien der ausgewählten Ordner erneut übertragen (Strg+R)</translation>
    </message>
    <message id="RetryTransferButton">
        <source>Retry Failed</source>
        <translation>Fehlgeschlagene wiederholen</translation>
    </message>
    <message id="ClearTransfersButton">
        <source>Clear Finished</source>
        <translation>Beendete entfernen</translation>
    </message>
    <message id="ToolbarConnect">
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message id="ToolbarDisconnect">
        <source>Disconnect</source>
        <translation>Trennen</translation>
    </message>
    <message id="ToolbarSave">
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message id="CancelItem">
        <source>Cancel the transfer</source>
        <translation>Übertragung abbrechen</translation>
    </message>
    <message id="QuitItem">
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message id="SettingsTitle">
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message id="LocalFolderLabel">
        <source>Downloads go to the folder chosen here.</source>
        <translation>Downloads landen in dem hier gewählten Ordner.</translation>
    </message>
    <message id="LocalButton">
        <source>Choose download folder…</source>
        <translation>Download-Ordner wählen…</translation>
    </message>
    <message id="TransfersAtOnceLabel">
        <source>Transfers at once:</source>
        <translation>Gleichzeitige Übertragungen:</translation>
    </message>
    <message id="TransfersAtOnceTip">
        <source>How many files move at the same time, each on a connection of its own</source>
        <translation>Wie viele Dateien zugleich übertragen werden, jede über eine eigene Verbindung</translation>
    </message>
    <message id="CloseButton">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="ListName">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="ListSize">
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message id="ListModified">
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
    <message id="SecurityPlain">
        <source>Not encrypted</source>
        <translation>Nicht verschlüsselt</translation>
    </message>
    <message id="SecurityVerified">
        <source>%1, certificate verified</source>
        <translation>%1, Zertifikat geprüft</translation>
    </message>
    <message id="SecurityTrusted">
        <source>%1, certificate trusted by you</source>
        <translation>%1, Zertifikat von Ihnen als vertrauenswürdig bestätigt</translation>
    </message>
    <message id="SecurityTrustNotSaved">
        <source>The trusted certificate could not be saved: %1</source>
        <translation>Das vertraute Zertifikat konnte nicht gespeichert werden: %1</translation>
    </message>
    <message id="SecurityTlsNotSaved">
        <source>That this host uses TLS could not be saved: %1</source>
        <translation>Dass dieser Server TLS nutzt, konnte nicht gespeichert werden: %1</translation>
    </message>
    <message id="SecurityUntrusted">
        <source>The certificate of %1 is not trusted</source>
        <translation>Dem Zertifikat von %1 wird nicht vertraut</translation>
    </message>
    <message id="SecurityChanged">
        <source>The certificate of %1 has changed since you trusted it</source>
        <translation>Das Zertifikat von %1 hat sich geändert, seit Sie ihm vertraut haben</translation>
    </message>
    <message id="SecurityPlainNow">
        <source>%1 was used with TLS before but does not offer it now</source>
        <translation>%1 wurde bisher mit TLS genutzt, bietet es jetzt aber nicht an</translation>
    </message>
    <message id="CertificateSubject">
        <source>Subject: %1</source>
        <translation>Inhaber: %1</translation>
    </message>
    <message id="CertificateIssuer">
        <source>Issuer: %1</source>
        <translation>Aussteller: %1</translation>
    </message>
    <message id="CertificateValidity">
        <source>Valid from %1 until %2</source>
        <translation>Gültig von %1 bis %2</translation>
    </message>
    <message id="CertificateTrustedBefore">
        <source>Trusted before: %1</source>
        <translation>Bisher vertraut: %1</translation>
    </message>
    <message id="SecurityPlainWarning">
        <source>Without TLS, the password and the files travel readable.</source>
        <translation>Ohne TLS gehen das Passwort und die Dateien lesbar über das Netz.</translation>
    </message>
    <message id="SecurityConnectPlain">
        <source>Connect without encryption</source>
        <translation>Ohne Verschlüsselung verbinden</translation>
    </message>
    <message id="SecurityTrust">
        <source>Trust this certificate</source>
        <translation>Diesem Zertifikat vertrauen</translation>
    </message>
    <message id="StatusUnreadableLine">
        <source> (1 line could not be read)</source>
        <translation> (1 Zeile war nicht lesbar)</translation>
    </message>
    <message id="StatusUnreadableLines">
        <source> (%1 lines could not be read)</source>
        <translation> (%1 Zeilen waren nicht lesbar)</translation>
    </message>
    <message id="StatusListingCancelled">
        <source>Listing cancelled</source>
        <translation>Auflistung abgebrochen</translation>
    </message>
    <message id="StatusListingTooLong">
        <source>Listing stopped at %L1 bytes</source>
        <translation>Auflistung bei %L1 Bytes angehalten</translation>
    </message>
    <message id="StatusListingLineTooLong">
        <source>Listing stopped: a line longer than %L1 bytes</source>
        <translation>Auflistung angehalten: eine Zeile ist länger als %L1 Bytes</translation>
    </message>
    <message id="StatusCannotConnect">
        <source>Cannot connect: %1</source>
        <translation>Verbindung nicht möglich: %1</translation>
    </message>
    <message id="StatusRefusedFolder">
        <source>Refused to open the folder &quot;%1&quot;: %2</source>
        <translation>Öffnen des Ordners „%1“ abgelehnt: %2</translation>
    </message>
    <message id="HostProblem">
        <source>Host &quot;%1&quot; %2</source>
        <translation>Server „%1“ %2</translation>
    </message>
    <message id="HostEmpty">
        <source>Host is empty</source>
        <translation>Kein Server angegeben</translation>
    </message>
    <message id="HostHoldsSpace">
        <source>holds a space or control character</source>
        <translation>enthält ein Leerzeichen oder Steuerzeichen</translation>
    </message>
    <message id="HostHoldsSlash">
        <source>holds a &quot;/&quot;: a folder goes in the Directory field</source>
        <translation>enthält „/“: ein Ordner gehört in das Feld Ordner</translation>
    </message>
    <message id="HostHoldsAt">
        <source>holds an &quot;@&quot;: the login goes in the User field</source>
        <translation>enthält „@“: die Anmeldung gehört in das Feld Benutzer</translation>
    </message>
    <message id="HostNotIpv6">
        <source>is not an IPv6 address in brackets</source>
        <translation>ist keine IPv6-Adresse in eckigen Klammern</translation>
    </message>
    <message id="HostIpv6Brackets">
        <source>is an IPv6 address without brackets: write [%1]</source>
        <translation>ist eine IPv6-Adresse ohne eckige Klammern: schreiben Sie [%1]</translation>
    </message>
    <message id="HostHoldsColon">
        <source>holds a &quot;:&quot;: the port goes in the Port field</source>
        <translation>enthält „:“: der Port gehört in das Feld Port</translation>
    </message>
    <message id="HostNotIpv4">
        <source>is not an IPv4 address</source>
        <translation>ist keine IPv4-Adresse</translation>
    </message>
    <message id="HostNotName">
        <source>is not a host name</source>
        <translation>ist kein Servername</translation>
    </message>
    <message id="PortEmpty">
        <source>Port is empty</source>
        <translation>Kein Port angegeben</translation>
    </message>
    <message id="PortNotNumber">
        <source>Port &quot;%1&quot; is not a number from 1 to 65535</source>
        <translation>Port „%1“ ist keine Zahl von 1 bis 65535</translation>
    </message>
    <message id="StatusNotAFile">
        <source>Not a file</source>
        <translation>Keine Datei</translation>
    </message>
    <message id="NameEmpty">
        <source>the name is empty</source>
        <translation>der Name ist leer</translation>
    </message>
    <message id="NameNoEntry">
        <source>"%1" names no entry of its own</source>
        <translation>„%1“ bezeichnet keinen eigenen Eintrag</translation>
    </message>
    <message id="NameHoldsSlash">
        <source>the name holds a "/"</source>
        <translation>der Name enthält „/“</translation>
    </message>
    <message id="NameHoldsLineBreak">
        <source>the name holds a line break or NUL</source>
        <translation>der Name enthält einen Zeilenumbruch oder NUL</translation>
    </message>
    <message id="NameHoldsControl">
        <source>the name holds a control character</source>
        <translation>der Name enthält ein Steuerzeichen</translation>
    </message>
    <message id="NameHoldsDirection">
        <source>the name holds a text direction character</source>
        <translation>der Name enthält ein Textrichtungszeichen</translation>
    </message>
    <message id="NameTooLong">
        <source>the name is longer than %1 bytes</source>
        <translation>der Name ist länger als %1 Bytes</translation>
    </message>
    <message id="CertificateSelfSigned">
        <source>is self-signed</source>
        <translation>ist selbst signiert</translation>
    </message>
    <message id="CertificateUnknownIssuer">
        <source>was issued by an unknown authority</source>
        <translation>stammt von einer unbekannten Zertifizierungsstelle</translation>
    </message>
    <message id="CertificateRevoked">
        <source>has been revoked</source>
        <translation>wurde widerrufen</translation>
    </message>
    <message id="CertificateNotVerifiedBecause">
        <source>could not be verified (%1)</source>
        <translation>konnte nicht geprüft werden (%1)</translation>
    </message>
    <message id="CertificateExpired">
        <source>has expired</source>
        <translation>ist abgelaufen</translation>
    </message>
    <message id="CertificateNotYetValid">
        <source>is not valid yet</source>
        <translation>ist noch nicht gültig</translation>
    </message>
    <message id="CertificateMoreNames">
        <source>%1 more</source>
        <translation>%1 weitere</translation>
    </message>
    <message id="CertificateOtherHost">
        <source>is for another host name</source>
        <translation>gilt für einen anderen Servernamen</translation>
    </message>
    <message id="CertificateOtherHostNamed">
        <source>is for another host name (it names %1)</source>
        <translation>gilt für einen anderen Servernamen (es nennt %1)</translation>
    </message>
    <message id="CertificateNotVerified">
        <source>The server's certificate could not be verified</source>
        <translation>Das Zertifikat des Servers konnte nicht geprüft werden</translation>
    </message>
    <message id="CertificateProblems">
        <source>The server's certificate %1</source>
        <translation>Das Zertifikat des Servers %1</translation>
    </message>
    <message id="CertificateProblemsAnd">
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message id="TlsNotOffered">
        <source>The server does not offer TLS</source>
        <translation>Der Server bietet kein TLS an</translation>
    </message>
    <message id="CertificateNotTrustedOne">
        <source>The server's certificate is not the one you trusted</source>
        <translation>Das Zertifikat des Servers ist nicht das, dem Sie vertraut haben</translation>
    </message>
    <message id="TlsHandshakeFailed">
        <source>The TLS handshake with the server failed</source>
        <translation>Der TLS-Handshake mit dem Server ist fehlgeschlagen</translation>
    </message>
    <message id="CertificateAuthoritiesUnreadable">
        <source>The certificate authorities could not be read</source>
        <translation>Die Zertifizierungsstellen konnten nicht gelesen werden</translation>
    </message>
    <message id="TrustStoreKeptAside">
        <source>The trusted certificates could not be read and were kept as %1; until that copy is removed, Tandrel asks before any log-in without TLS</source>
        <translation>Die vertrauten Zertifikate konnten nicht gelesen werden und wurden als %1 aufbewahrt; bis diese Kopie entfernt ist, fragt Tandrel vor jeder Anmeldung ohne TLS</translation>
    </message>
    <message id="TrustStoreUnreadable">
        <source>The trusted certificates in %1 cannot be read; Tandrel asks before any log-in without TLS</source>
        <translation>Die vertrauten Zertifikate in %1 können nicht gelesen werden; Tandrel fragt vor jeder Anmeldung ohne TLS</translation>
    </message>
    <message id="TrustStoreNotMoved">
        <source>%1 could not be read or moved aside: %2</source>
        <translation>%1 konnte weder gelesen noch beiseitegelegt werden: %2</translation>
    </message>
    <message id="TreeOneFile">
        <source>1 file</source>
        <translation>1 Datei</translation>
    </message>
    <message id="TreeFiles">
        <source>%L1 files</source>
        <translation>%L1 Dateien</translation>
    </message>
    <message id="TreeOneFolder">
        <source>1 folder</source>
        <translation>1 Ordner</translation>
    </message>
    <message id="TreeFolders">
        <source>%L1 folders</source>
        <translation>%L1 Ordnern</translation>
    </message>
    <message id="StatusListingToDelete">
        <source>Listing "%1" to delete it</source>
        <translation>„%1“ wird zum Löschen aufgelistet</translation>
    </message>
    <message id="DeleteTreeUnaddressable">
        <source>names in it that no request can carry: %L1</source>
        <translation>Namen darin, die keine Anfrage tragen kann: %L1</translation>
    </message>
    <message id="DeleteTreeNamed">
        <source>Delete "%1" with %2 in %3?</source>
        <translation>„%1“ mit %2 in %3 löschen?</translation>
    </message>
    <message id="DeleteTreeNotListed">
        <source>cannot list "%1": %2</source>
        <translation>„%1“ kann nicht aufgelistet werden: %2</translation>
    </message>
    <message id="StatusDeletingTree">
        <source>Deleting "%1"</source>
        <translation>„%1“ wird gelöscht</translation>
    </message>
    <message id="DeleteTreeLeft">
        <source>%1; %2 in %3 left</source>
        <translation>%1; %2 in %3 bleiben</translation>
    </message>
    <message id="TreeLoop">
        <source>lists as a folder above it (a loop)</source>
        <translation>gleicht einem Ordner darüber (eine Schleife)</translation>
    </message>
    <message id="TreeLinkSkipped">
        <source>a link that leads out of the folder or to a folder</source>
        <translation>ein Link, der aus dem Ordner hinaus oder auf einen Ordner führt</translation>
    </message>
    <message id="TreeNotRegular">
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message id="QueueLinkNotFile">
        <source>a link to no file</source>
        <translation>ein Link auf keine Datei</translation>
    </message>
    <message id="QueueExistsOverwrite">
        <source>Overwrite</source>
        <translation>Überschreiben</translation>
    </message>
    <message id="QueueExistsIfDifferent">
        <source>Overwrite if the size or date differs</source>
        <translation>Überschreiben, wenn Größe oder Datum abweichen</translation>
    </message>
    <message id="QueueExistsResume">
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message id="StatusDiskFull">
        <source>No space left on the disk: %L1 done, %L2 not fetched</source>
        <translation>Kein Platz mehr auf dem Datenträger: %L1 fertig, %L2 nicht geholt</translation>
    </message>
    <message id="QueueExistsSkip">
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message id="QueueExistsKeepBoth">
        <source>Keep both</source>
        <translation>Beide behalten</translation>
    </message>
    <message id="QueueExistsTitle">
        <source>&quot;%1&quot; is already there</source>
        <translation>„%1“ ist schon da</translation>
    </message>
    <message id="QueueExistsInfo">
        <source>What happens to it and to the other files of this folder already there?</source>
        <translation>Was soll mit ihr und mit den anderen schon vorhandenen Dateien dieses Ordners geschehen?</translation>
    </message>
    <message id="QueueExistsGoOn">
        <source>Go on</source>
        <translation>Weiter</translation>
    </message>
    <message id="QueueNoFreeName">
        <source>no free name beside the file there</source>
        <translation>kein freier Name neben der Datei dort</translation>
    </message>
    <message id="QueueFolderDisconnected">
        <source>Stopped: disconnected</source>
        <translation>Angehalten: Verbindung getrennt</translation>
    </message>
    <message id="QueueFolderRunning">
        <source>%L1 of %L2 files</source>
        <translation>%L1 von %L2 Dateien</translation>
    </message>
    <message id="QueueFileRunning">
        <source>Running, %1%</source>
        <translation>Läuft, %1 %</translation>
    </message>
    <message id="QueueFileSkipped">
        <source>Skipped: %1</source>
        <translation>Übersprungen: %1</translation>
    </message>
    <message id="QueueFileThere">
        <source>already there</source>
        <translation>schon vorhanden</translation>
    </message>
    <message id="QueueCancelItem">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="QueueRetryItem">
        <source>Retry</source>
        <translation>Wiederholen</translation>
    </message>
    <message id="QueueFolderOneFile">
        <source>1 file</source>
        <translation>1 Datei</translation>
    </message>
    <message id="QueueFolderFiles">
        <source>%L1 files</source>
        <translation>%L1 Dateien</translation>
    </message>
    <message id="QueueFolderSkipped">
        <source>%L1 skipped</source>
        <translation>%L1 übersprungen</translation>
    </message>
    <message id="QueueMoreProblems">
        <source>and %L1 more</source>
        <translation>und %L1 weitere</translation>
    </message>
    <message id="QueueFolderFailed">
        <source>%L1 failed</source>
        <translation>%L1 fehlgeschlagen</translation>
    </message>
    <message id="StatusDownloadedFolder">
        <source>Downloaded %1 to %2 (%3)</source>
        <translation>%1 nach %2 geladen (%3)</translation>
    </message>
    <message id="StatusUploadedFolder">
        <source>Uploaded %1 (%2)</source>
        <translation>%1 hochgeladen (%2)</translation>
    </message>
    <message id="StatusFewerConnections">
        <source>The server refused another connection: going on with %1</source>
        <translation>Der Server lehnte eine weitere Verbindung ab: weiter mit %1</translation>
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
    <message id="Protocol">
        <source>Protocol</source>
        <translation>Protokoll</translation>
    </message>
    <message id="KeyFile">
        <source>Key file</source>
        <translation>Schlüsseldatei</translation>
    </message>
    <message id="KeyFilePlaceholder">
        <source>ssh-agent and ~/.ssh/id_* when empty</source>
        <translation>ssh-agent und ~/.ssh/id_*, wenn leer</translation>
    </message>
    <message id="EncryptionNoteSftp">
        <source>SSH protects SFTP connections: the Encryption choice is for FTP.</source>
        <translation>SSH schützt SFTP-Verbindungen: die Verschlüsselungswahl gilt für FTP.</translation>
    </message>
    <message id="SecurityHostKeyNotSaved">
        <source>The trusted host key could not be saved: %1</source>
        <translation>Der vertraute Host-Schlüssel konnte nicht gespeichert werden: %1</translation>
    </message>
    <message id="SecuritySshKnown">
        <source>SSH, host key known</source>
        <translation>SSH, Host-Schlüssel bekannt</translation>
    </message>
    <message id="SecuritySshTrusted">
        <source>SSH, host key trusted by you</source>
        <translation>SSH, Host-Schlüssel von Ihnen als vertrauenswürdig bestätigt</translation>
    </message>
    <message id="SecurityHostKeyUnknown">
        <source>The host key of %1 is not known</source>
        <translation>Der Host-Schlüssel von %1 ist nicht bekannt</translation>
    </message>
    <message id="SecurityHostKeyChanged">
        <source>WARNING: the host key of %1 has changed</source>
        <translation>WARNUNG: Der Host-Schlüssel von %1 hat sich geändert</translation>
    </message>
    <message id="SecurityTrustHostKey">
        <source>Trust this host key</source>
        <translation>Diesem Host-Schlüssel vertrauen</translation>
    </message>
    <message id="HostKeyType">
        <source>Key type: %1</source>
        <translation>Schlüsseltyp: %1</translation>
    </message>
    <message id="HostKeyFingerprint">
        <source>Fingerprint: %1</source>
        <translation>Fingerabdruck: %1</translation>
    </message>
    <message id="HostKeyKnownBefore">
        <source>Known before: %1</source>
        <translation>Bisher bekannt: %1</translation>
    </message>
    <message id="HostKeyWarning">
        <source>Someone may be listening in; nothing was sent.</source>
        <translation>Jemand könnte mithören; es wurde nichts gesendet.</translation>
    </message>
</context>
<context>
    <name>Sites</name>
    <message id="SiteLabel">
        <source>Site</source>
        <translation>Verbindung</translation>
    </message>
    <message id="SiteNew">
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message id="SiteRename">
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message id="SiteDuplicate">
        <source>Duplicate</source>
        <translation>Duplizieren</translation>
    </message>
    <message id="SiteDelete">
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message id="SiteDefaultName">
        <source>My server</source>
        <translation>Mein Server</translation>
    </message>
    <message id="PasswordsInFile">
        <source>Passwords are saved in a file only you can read</source>
        <translation>Passwörter werden in einer Datei gespeichert, die nur Sie lesen können</translation>
    </message>
    <message id="SitesUnreadable">
        <source>The saved sites could not be read</source>
        <translation>Die gespeicherten Verbindungen konnten nicht gelesen werden</translation>
    </message>
    <message id="SitesMovedAside">
        <source>The sites file was kept as %1; Tandrel started with the site in use.</source>
        <translation>Die Verbindungsdatei wurde als %1 aufbewahrt; Tandrel startet mit der zuletzt benutzten Verbindung.</translation>
    </message>
    <message id="SiteNameRefused">
        <source>The site was not saved</source>
        <translation>Die Verbindung wurde nicht gespeichert</translation>
    </message>
    <message id="SiteNameEmpty">
        <source>A site needs a name.</source>
        <translation>Eine Verbindung braucht einen Namen.</translation>
    </message>
    <message id="SiteNameTaken">
        <source>A site named "%1" exists already.</source>
        <translation>Eine Verbindung namens „%1“ gibt es schon.</translation>
    </message>
    <message id="SiteNewPrompt">
        <source>Name of the new site:</source>
        <translation>Name der neuen Verbindung:</translation>
    </message>
    <message id="SiteRenamePrompt">
        <source>New name of the site:</source>
        <translation>Neuer Name der Verbindung:</translation>
    </message>
    <message id="SiteDuplicatePrompt">
        <source>Name of the copy:</source>
        <translation>Name der Kopie:</translation>
    </message>
    <message id="SiteCopyName">
        <source>%1 (copy)</source>
        <translation>%1 (Kopie)</translation>
    </message>
    <message id="SiteDeleteConfirm">
        <source>Delete the site "%1"?</source>
        <translation>Die Verbindung „%1“ löschen?</translation>
    </message>
    <message id="SiteDeleteInfo">
        <source>Its settings and saved passwords are removed.</source>
        <translation>Ihre Einstellungen und gespeicherten Passwörter werden entfernt.</translation>
    </message>
    <message id="LinkRefused">
        <source>Tandrel cannot open this link</source>
        <translation>Tandrel kann diesen Link nicht öffnen</translation>
    </message>
    <message id="LinkHasSpace">
        <source>The link holds a space or a control character.</source>
        <translation>Der Link enthält ein Leerzeichen oder ein Steuerzeichen.</translation>
    </message>
    <message id="LinkNotALink">
        <source>"%1" is not a link to a server.</source>
        <translation>„%1“ ist kein Link auf einen Server.</translation>
    </message>
    <message id="LinkScheme">
        <source>Tandrel opens ftp://, ftps:// and sftp:// links, not %1://.</source>
        <translation>Tandrel öffnet ftp://-, ftps://- und sftp://-Links, keine %1://-Links.</translation>
    </message>
    <message id="LinkFolderBreak">
        <source>The link's folder holds a line break or a NUL.</source>
        <translation>Der Ordner des Links enthält einen Zeilenumbruch oder ein NUL-Zeichen.</translation>
    </message>
    <message id="ReadingKeyring">
        <source>Reading the password from the keyring…</source>
        <translation>Das Passwort wird aus dem Schlüsselbund gelesen …</translation>
    </message>
</context>
</TS>
