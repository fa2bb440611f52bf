<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name></name>
    <message id="Host">
        <source>Host</source>
        <translation>Serveur</translation>
    </message>
    <message id="HostPlaceholder">
        <source>ftp.example.org</source>
        <translation>ftp.exemple.fr</translation>
    </message>
    <message id="Port">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="Directory">
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message id="DirectoryPlaceholder">
        <source>Start folder (optional)</source>
        <translation>Dossier de départ (facultatif)</translation>
    </message>
    <message id="PassiveMode">
        <source>Passive mode</source>
        <translation>Mode passif</translation>
    </message>
    <message id="Anonymous">
        <source>Anonymous login</source>
        <translation>Connexion anonyme</translation>
    </message>
    <message id="User">
        <source>User</source>
        <translation>Utilisateur</translation>
    </message>
    <message id="Password">
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message id="UseProxy">
        <source>Use a proxy</source>
        <translation>Utiliser un proxy</translation>
    </message>
    <message id="ProxyHost">
        <source>proxy.example.org or socks5://host</source>
        <translation>proxy.exemple.fr ou socks5://hôte</translation>
    </message>
    <message id="ProxyUser">
        <source>Proxy user</source>
        <translation>Utilisateur du proxy</translation>
    </message>
    <message id="ProxyPassword">
        <source>Proxy password</source>
        <translation>Mot de passe du proxy</translation>
    </message>
    <message id="PlsNewDir">
        <source>Name of the new folder:</source>
        <translation>Nom du nouveau dossier :</translation>
    </message>
    <message id="OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="Cancel">
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message id="DeleteConfirm">
        <source>Delete the selected item?</source>
        <translation>Supprimer l’élément sélectionné ?</translation>
    </message>
    <message id="DeleteInfo">
        <source>It is removed from the server and cannot be restored.</source>
        <translation>Il est retiré du serveur et ne peut pas être restauré.</translation>
    </message>
    <message id="NotSupportAlert">
        <source>Folders cannot be downloaded</source>
        <translation>Les dossiers ne peuvent pas être téléchargés</translation>
    </message>
    <message id="DirDownloadNotSupport">
        <source>Select a file to download it; open a folder by double-clicking it.</source>
        <translation>Sélectionnez un fichier pour le télécharger ; ouvrez un dossier par un double-clic.</translation>
    </message>
    <message id="LinkNotFolderAlert">
        <source>“%1” is not a folder</source>
        <translation>« %1 » n’est pas un dossier</translation>
    </message>
    <message id="LinkNotFolderInfo">
        <source>The link leads to a file. Download it into the download folder?</source>
        <translation>Le lien mène à un fichier. Le télécharger dans le dossier de téléchargement ?</translation>
    </message>
    <message id="Download">
        <source>Download</source>
        <translation>Télécharger</translation>
    </message>
    <message id="Upload">
        <source>Upload</source>
        <translation>Envoyer</translation>
    </message>
    <message id="Connect">
        <source>Connect to the server</source>
        <translation>Se connecter au serveur</translation>
    </message>
    <message id="Running">
        <source>Connected</source>
        <translation>Connecté</translation>
    </message>
    <message id="StatusBusy">
        <source>Refused: another transfer or folder operation is still running</source>
        <translation>Refusé : un autre transfert ou une autre opération sur un dossier est en cours</translation>
    </message>
    <message id="StatusRefusedDownload">
        <source>Refused to download "%1": %2</source>
        <translation>Téléchargement de « %1 » refusé : %2</translation>
    </message>
    <message id="StatusRefusedUpload">
        <source>Refused to upload "%1": %2</source>
        <translation>Envoi de « %1 » refusé : %2</translation>
    </message>
    <message id="StatusRefusedCreate">
        <source>Refused to create "%1": %2</source>
        <translation>Création de « %1 » refusée : %2</translation>
    </message>
    <message id="StatusRefusedDelete">
        <source>Refused to delete "%1": %2</source>
        <translation>Suppression de « %1 » refusée : %2</translation>
    </message>
    <message id="StatusDownloadFolderMissing">
        <source>The download folder "%1" does not exist</source>
        <translation>Le dossier de téléchargement « %1 » n’existe pas</translation>
    </message>
    <message id="StatusDownloadFolderNotMade">
        <source>Cannot create the download folder "%1": %2</source>
        <translation>Impossible de créer le dossier de téléchargement « %1 » : %2</translation>
    </message>
    <message id="StatusFtpError">
        <source>FTP error %1</source>
        <translation>Erreur FTP %1</translation>
    </message>
    <message id="StatusDownloadIncomplete">
        <source>Download incomplete: %1 of %2 bytes</source>
        <translation>Téléchargement incomplet : %1 octets sur %2</translation>
    </message>
    <message id="StatusUploadNotConfirmed">
        <source>Upload not confirmed by the server</source>
        <translation>Envoi non confirmé par le serveur</translation>
    </message>
    <message id="StatusFileChanged">
        <source>The file changed while it was uploaded</source>
        <translation>Le fichier a changé pendant l’envoi</translation>
    </message>
    <message id="StatusResumeUnchecked">
        <source>Resume not checked: the server gives no modification time</source>
        <translation>Reprise non vérifiée : le serveur ne donne pas de date de modification</translation>
    </message>
    <message id="StatusDeleteFailed">
        <source>Delete failed</source>
        <translation>Échec de la suppression</translation>
    </message>
    <message id="StatusDeleteFailedBecause">
        <source>Delete failed: %1</source>
        <translation>Échec de la suppression : %1</translation>
    </message>
    <message id="StatusSkippedFolder">
        <source>Skipped 1 folder</source>
        <translation>1 dossier ignoré</translation>
    </message>
    <message id="StatusSkippedFolders">
        <source>Skipped %1 folders</source>
        <translation>%1 dossiers ignorés</translation>
    </message>
    <message id="StatusQueued">
        <source>Queued until the running operation ends</source>
        <translation>En attente de la fin de l’opération en cours</translation>
    </message>
    <message id="QueueDone">
        <source>Done</source>
        <translation>Terminé</translation>
    </message>
    <message id="QueueWaiting">
        <source>Waiting</source>
        <translation>En attente</translation>
    </message>
    <message id="QueueRunning">
        <source>Running</source>
        <translation>En cours</translation>
    </message>
    <message id="QueueDisconnected">
        <source>Not started: disconnected</source>
        <translation>Non démarré : déconnecté</translation>
    </message>
    <message id="QueueName">
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message id="QueueSize">
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message id="QueueSpeed">
        <source>Speed</source>
        <translation>Vitesse</translation>
    </message>
    <message id="QueueTimeLeft">
        <source>Time left</source>
        <translation>Temps restant</translation>
    </message>
    <message id="QueueOutcome">
        <source>Outcome</source>
        <translation>Résultat</translation>
    </message>
    <message id="Filter">
        <source>Filter</source>
        <translation>Filtrer</translation>
    </message>
    <message id="FilterTip">
        <source>Show only the names that contain this text (Ctrl+F)</source>
        <translation>N’afficher que les noms contenant ce texte (Ctrl+F)</translation>
    </message>
    <message id="PreButtonTip">
        <source>Parent folder (Backspace, Alt+Up)</source>
        <translation>Dossier parent (Retour arrière, Alt+Haut)</translation>
    </message>
    <message id="ReloadButtonTip">
        <source>List this folder again (F5)</source>
        <translation>Lister à nouveau ce dossier (F5)</translation>
    </message>
    <message id="DownloadButtonTip">
        <source>Download the selected file (Enter)</source>
        <translation>Télécharger le fichier sélectionné (Entrée)</translation>
    </message>
    <message id="UploadButtonTip">
        <source>Upload a file into this folder (Ctrl+U)</source>
        <translation>Envoyer un fichier dans ce dossier (Ctrl+U)</translation>
    </message>
    <message id="CreateDirButtonTip">
        <source>Create a folder here (Ctrl+Shift+N)</source>
        <translation>Créer un dossier ici (Ctrl+Maj+N)</translation>
    </message>
    <message id="DeleteButtonTip">
        <source>Delete the selected file or folder (Delete)</source>
        <translation>Supprimer le fichier ou dossier sélectionné (Suppr)</translation>
    </message>
    <message id="MenuDownload">
        <source>Download</source>
        <translation>Télécharger</translation>
    </message>
    <message id="MenuRename">
        <source>Rename (F2)</source>
        <translation>Renommer (F2)</translation>
    </message>
    <message id="MenuDelete">
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message id="MenuCopyURL">
        <source>Copy URL</source>
        <translation>Copier l’URL</translation>
    </message>
    <message id="DeleteFileNamed">
        <source>The file “%1” will be deleted.</source>
        <translation>Le fichier « %1 » va être supprimé.</translation>
    </message>
    <message id="DeleteFolderNamed">
        <source>The folder “%1” will be deleted.</source>
        <translation>Le dossier « %1 » va être supprimé.</translation>
    </message>
    <message id="StatusRefusedRename">
        <source>Refused to rename "%1": %2</source>
        <translation>Renommage de « %1 » refusé : %2</translation>
    </message>
    <message id="StatusRenameFailed">
        <source>Rename failed: %1</source>
        <translation>Échec du renommage : %1</translation>
    </message>
    <message id="DisconnectCancelAlert">
        <source>A transfer is running</source>
        <translation>Un transfert est en cours</translation>
    </message>
    <message id="DisconnectCancelInfo">
        <source>Disconnecting cancels it. A cancelled download keeps its partial file and continues where it stopped when you download the file again.</source>
        <translation>Se déconnecter l’annule. Un téléchargement annulé garde son fichier partiel et reprend là où il s’est arrêté quand vous téléchargez à nouveau le fichier.</translation>
    </message>
    <message id="CancelTransfer">
        <source>Cancel and Disconnect</source>
        <translation>Annuler et se déconnecter</translation>
    </message>
    <message id="KeepTransfer">
        <source>Keep Running</source>
        <translation>Continuer</translation>
    </message>
    <message id="StatusCancelledUpload">
        <source>Cancelled (the server may keep a partial file)</source>
        <translation>Annulé (le serveur peut garder un fichier partiel)</translation>
    </message>
    <message id="StatusResumeRefused">
        <source>Resume refused by the server; downloaded from the start</source>
        <translation>Reprise refusée par le serveur ; téléchargé depuis le début</translation>
    </message>
    <message id="StatusCreateFolderFailed">
        <source>Create folder failed: %1</source>
        <translation>Échec de la création du dossier : %1</translation>
    </message>
    <message id="StatusDownloading">
        <source>Downloading %1</source>
        <translation>Téléchargement de %1</translation>
    </message>
    <message id="StatusUploading">
        <source>Uploading %1</source>
        <translation>Envoi de %1</translation>
    </message>
    <message id="StatusDownloaded">
        <source>Downloaded %1 to %2</source>
        <translation>%1 téléchargé dans %2</translation>
    </message>
    <message id="SettingsUnreadable">
        <source>The settings could not be read</source>
        <translation>Les réglages n’ont pas pu être lus</translation>
    </message>
    <message id="SettingsMovedAside">
        <source>The settings file was kept as %1; Tandrel started with empty settings.</source>
        <translation>Le fichier de réglages a été conservé sous %1 ; Tandrel a démarré avec des réglages vides.</translation>
    </message>
    <message id="SettingsButton">
        <source>Settings…</source>
        <translation>Réglages…</translation>
    </message>
    <message id="SettingsButtonTip">
        <source>Download folder</source>
        <translation>Dossier de téléchargement</translation>
    </message>
    <message id="MinimizeTip">
        <source>Minimise</source>
        <translation>Réduire</translation>
    </message>
    <message id="QuitTip">
        <source>Quit Tandrel</source>
        <translation>Quitter Tandrel</translation>
    </message>
    <message id="TabServer">
        <source>Server</source>
        <translation>Serveur</translation>
    </message>
    <message id="TabProxy">
        <source>Proxy</source>
        <translation>Proxy</translation>
    </message>
    <message id="TabBrowser">
        <source>Browser</source>
        <translation>Fichiers</translation>
    </message>
    <message id="TabQueue">
        <source>Queue</source>
        <translation>File d’attente</translation>
    </message>
    <message id="Encryption">
        <source>Encryption</source>
        <translation>Chiffrement</translation>
    </message>
    <message id="EncryptionIfAvailable">
        <source>Use TLS if the server offers it</source>
        <translation>Utiliser TLS si le serveur le propose</translation>
    </message>
    <message id="EncryptionRequire">
        <source>Require TLS</source>
        <translation>Exiger TLS</translation>
    </message>
    <message id="EncryptionImplicit">
        <source>Implicit TLS</source>
        <translation>TLS implicite</translation>
    </message>
    <message id="EncryptionNone">
        <source>Plain FTP (insecure)</source>
        <translation>FTP en clair (non sûr)</translation>
    </message>
    <message id="PreButton">
        <source>↑ Up</source>
        <translation>↑ Haut</translation>
    </message>
    <message id="ReloadButton">
        <source>↻ Reload</source>
        <translation>↻ Actualiser</translation>
    </message>
    <message id="CreateDirButton">
        <source>New folder</source>
        <translation>Nouveau dossier</translation>
    </message>
    <message id="DeleteButton">
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message id="CancelButtonTip">
        <source>Cancel the transfer (Esc)</source>
        <translation>Annuler le transfert (Échap)</translation>
    </message>
    <message id="RemoveTransferButton">
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message id="RemoveTransferTip">
        <source>Remove the selected waiting transfers (Delete)</source>
        <translation>Retirer les transferts en attente sélectionnés (Suppr)</translation>
    </message>
    <message id="RetryTransferTip">
        <source>Run the failed files of the selected folders again (Ctrl+R)</source>
        <translation>Relancer les fichiers en échec des dossiers sélectionnés (Ctrl+R)</translation>
    </message>
    <message id="RetryTransferButton">
        <source>Retry Failed</source>
        <translation>Relancer les échecs</translation>
    </message>
    <message id="ClearTransfersButton">
        <source>Clear Finished</source>
        <translation>Effacer les terminés</translation>
    </message>
    <message id="ToolbarConnect">
        <source>Connect</source>
        <translation>Connecter</translation>
    </message>
    <message id="ToolbarDisconnect">
        <source>Disconnect</source>
        <translation>Déconnecter</translation>
    </message>
    <message id="ToolbarSave">
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message id="CancelItem">
        <source>Cancel the transfer</source>
        <translation>Annuler le transfert</translation>
    </message>
    <message id="QuitItem">
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message id="SettingsTitle">
        <source>Settings</source>
        <translation>Réglages</translation>
    </message>
    <message id="LocalFolderLabel">
        <source>Downloads go to the folder chosen here.</source>
        <translation>Les téléchargements vont dans le dossier choisi ici.</translation>
    </message>
    <message id="LocalButton">
        <source>Choose download folder…</source>
        <translation>Choisir le dossier de téléchargement…</translation>
    </message>
    <message id="TransfersAtOnceLabel">
        <source>Transfers at once:</source>
        <translation>Transferts simultanés :</translation>
    </message>
    <message id="TransfersAtOnceTip">
        <source>How many files move at the same time, each on a connection of its own</source>
        <translation>Combien de fichiers sont transférés en même temps, chacun sur sa propre connexion</translation>
    </message>
    <message id="CloseButton">
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message id="ListName">
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message id="ListSize">
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message id="ListModified">
        <source>Modified</source>
        <translation>Modifié</translation>
    </message>
    <message id="SecurityPlain">
        <source>Not encrypted</source>
        <translation>Non chiffré</translation>
    </message>
    <message id="SecurityVerified">
        <source>%1, certificate verified</source>
        <translation>%1, certificat vérifié</translation>
    </message>
    <message id="SecurityTrusted">
        <source>%1, certificate trusted by you</source>
        <translation>%1, certificat approuvé par vous</translation>
    </message>
    <message id="SecurityTrustNotSaved">
        <source>The trusted certificate could not be saved: %1</source>
        <translation>Le certificat approuvé n’a pas pu être enregistré : %1</translation>
    </message>
    <message id="SecurityTlsNotSaved">
        <source>That this host uses TLS could not be saved: %1</source>
        <translation>Le fait que ce serveur utilise TLS n’a pas pu être enregistré : %1</translation>
    </message>
    <message id="SecurityUntrusted">
        <source>The certificate of %1 is not trusted</source>
        <translation>Le certificat de %1 n’est pas approuvé</translation>
    </message>
    <message id="SecurityChanged">
        <source>The certificate of %1 has changed since you trusted it</source>
        <translation>Le certificat de %1 a changé depuis que vous l’avez approuvé</translation>
    </message>
    <message id="SecurityPlainNow">
        <source>%1 was used with TLS before but does not offer it now</source>
        <translation>%1 était utilisé avec TLS mais ne le propose plus</translation>
    </message>
    <message id="CertificateSubject">
        <source>Subject: %1</source>
        <translation>Sujet : %1</translation>
    </message>
    <message id="CertificateIssuer">
        <source>Issuer: %1</source>
        <translation>Émetteur : %1</translation>
    </message>
    <message id="CertificateValidity">
        <source>Valid from %1 until %2</source>
        <translation>Valide du %1 au %2</translation>
    </message>
    <message id="CertificateTrustedBefore">
        <source>Trusted before: %1</source>
        <translation>Approuvé auparavant : %1</translation>
    </message>
    <message id="SecurityPlainWarning">
        <source>Without TLS, the password and the files travel readable.</source>
        <translation>Sans TLS, le mot de passe et les fichiers circulent en clair.</translation>
    </message>
    <message id="SecurityConnectPlain">
        <source>Connect without encryption</source>
        <translation>Se connecter sans chiffrement</translation>
    </message>
    <message id="SecurityTrust">
        <source>Trust this certificate</source>
        <translation>Approuver ce certificat</translation>
    </message>
    <message id="StatusUnreadableLine">
        <source> (1 line could not be read)</source>
        <translation> (1 ligne illisible)</translation>
    </message>
    <message id="StatusUnreadableLines">
        <source> (%1 lines could not be read)</source>
        <translation> (%1 lignes illisibles)</translation>
    </message>
    <message id="StatusListingCancelled">
        <source>Listing cancelled</source>
        <translation>Listage annulé</translation>
    </message>
    <message id="StatusListingTooLong">
        <source>Listing stopped at %L1 bytes</source>
        <translation>Listage arrêté à %L1 octets</translation>
    </message>
    <message id="StatusListingLineTooLong">
        <source>Listing stopped: a line longer than %L1 bytes</source>
        <translation>Listage arrêté : une ligne dépasse %L1 octets</translation>
    </message>
    <message id="StatusCannotConnect">
        <source>Cannot connect: %1</source>
        <translation>Connexion impossible : %1</translation>
    </message>
    <message id="StatusRefusedFolder">
        <source>Refused to open the folder &quot;%1&quot;: %2</source>
        <translation>Ouverture du dossier « %1 » refusée : %2</translation>
    </message>
    <message id="HostProblem">
        <source>Host &quot;%1&quot; %2</source>
        <translation>Le serveur « %1 » %2</translation>
    </message>
    <message id="HostEmpty">
        <source>Host is empty</source>
        <translation>Aucun serveur indiqué</translation>
    </message>
    <message id="HostHoldsSpace">
        <source>holds a space or control character</source>
        <translation>contient une espace ou un caractère de contrôle</translation>
    </message>
    <message id="HostHoldsSlash">
        <source>holds a &quot;/&quot;: a folder goes in the Directory field</source>
        <translation>contient « / » : un dossier va dans le champ Dossier</translation>
    </message>
    <message id="HostHoldsAt">
        <source>holds an &quot;@&quot;: the login goes in the User field</source>
        <translation>contient « @ » : l’identifiant va dans le champ Utilisateur</translation>
    </message>
    <message id="HostNotIpv6">
        <source>is not an IPv6 address in brackets</source>
        <translation>n’est pas une adresse IPv6 entre crochets</translation>
    </message>
    <message id="HostIpv6Brackets">
        <source>is an IPv6 address without brackets: write [%1]</source>
        <translation>est une adresse IPv6 sans crochets : écrivez [%1]</translation>
    </message>
    <message id="HostHoldsColon">
        <source>holds a &quot;:&quot;: the port goes in the Port field</source>
        <translation>contient « : » : le port va dans le champ Port</translation>
    </message>
    <message id="HostNotIpv4">
        <source>is not an IPv4 address</source>
        <translation>n’est pas une adresse IPv4</translation>
    </message>
    <message id="HostNotName">
        <source>is not a host name</source>
        <translation>n’est pas un nom d’hôte</translation>
    </message>
    <message id="PortEmpty">
        <source>Port is empty</source>
        <translation>Aucun port indiqué</translation>
    </message>
    <message id="PortNotNumber">
        <source>Port &quot;%1&quot; is not a number from 1 to 65535</source>
        <translation>Le port « %1 » n’est pas un nombre de 1 à 65535</translation>
    </message>
    <message id="StatusNotAFile">
        <source>Not a file</source>
        <translation>Pas un fichier</translation>
    </message>
    <message id="NameEmpty">
        <source>the name is empty</source>
        <translation>le nom est vide</translation>
    </message>
    <message id="NameNoEntry">
        <source>"%1" names no entry of its own</source>
        <translation>« %1 » ne désigne aucune entrée propre</translation>
    </message>
    <message id="NameHoldsSlash">
        <source>the name holds a "/"</source>
        <translation>le nom contient « / »</translation>
    </message>
    <message id="NameHoldsLineBreak">
        <source>the name holds a line break or NUL</source>
        <translation>le nom contient un saut de ligne ou NUL</translation>
    </message>
    <message id="NameHoldsControl">
        <source>the name holds a control character</source>
        <translation>le nom contient un caractère de contrôle</translation>
    </message>
    <message id="NameHoldsDirection">
        <source>the name holds a text direction character</source>
        <translation>le nom contient un caractère de direction du texte</translation>
    </message>
    <message id="NameTooLong">
        <source>the name is longer than %1 bytes</source>
        <translation>le nom dépasse %1 octets</translation>
    </message>
    <message id="CertificateSelfSigned">
        <source>is self-signed</source>
        <translation>est auto-signé</translation>
    </message>
    <message id="CertificateUnknownIssuer">
        <source>was issued by an unknown authority</source>
        <translation>a été émis par une autorité inconnue</translation>
    </message>
    <message id="CertificateRevoked">
        <source>has been revoked</source>
        <translation>a été révoqué</translation>
    </message>
    <message id="CertificateNotVerifiedBecause">
        <source>could not be verified (%1)</source>
        <translation>n’a pas pu être vérifié (%1)</translation>
    </message>
    <message id="CertificateExpired">
        <source>has expired</source>
        <translation>a expiré</translation>
    </message>
    <message id="CertificateNotYetValid">
        <source>is not valid yet</source>
        <translation>n’est pas encore valide</translation>
    </message>
    <message id="CertificateMoreNames">
        <source>%1 more</source>
        <translation>%1 de plus</translation>
    </message>
    <message id="CertificateOtherHost">
        <source>is for another host name</source>
        <translation>est pour un autre nom d’hôte</translation>
    </message>
    <message id="CertificateOtherHostNamed">
        <source>is for another host name (it names %1)</source>
        <translation>est pour un autre nom d’hôte (il nomme %1)</translation>
    </message>
    <message id="CertificateNotVerified">
        <source>The server's certificate could not be verified</source>
        <translation>Le certificat du serveur n’a pas pu être vérifié</translation>
    </message>
    <message id="CertificateProblems">
        <source>The server's certificate %1</source>
        <translation>Le certificat du serveur %1</translation>
    </message>
    <message id="CertificateProblemsAnd">
        <source>%1 and %2</source>
        <translation>%1 et %2</translation>
    </message>
    <message id="TlsNotOffered">
        <source>The server does not offer TLS</source>
        <translation>Le serveur ne propose pas TLS</translation>
    </message>
    <message id="CertificateNotTrustedOne">
        <source>The server's certificate is not the one you trusted</source>
        <translation>Le certificat du serveur n’est pas celui que vous avez approuvé</translation>
    </message>
    <message id="TlsHandshakeFailed">
        <source>The TLS handshake with the server failed</source>
        <translation>La négociation TLS avec le serveur a échoué</translation>
    </message>
    <message id="CertificateAuthoritiesUnreadable">
        <source>The certificate authorities could not be read</source>
        <translation>Les autorités de certification n’ont pas pu être lues</translation>
    </message>
    <message id="TrustStoreKeptAside">
        <source>The trusted certificates could not be read and were kept as %1; until that copy is removed, Tandrel asks before any log-in without TLS</source>
        <translation>Les certificats approuvés n’ont pas pu être lus et ont été conservés sous %1 ; tant que cette copie existe, Tandrel demande avant toute connexion sans TLS</translation>
    </message>
    <message id="TrustStoreUnreadable">
        <source>The trusted certificates in %1 cannot be read; Tandrel asks before any log-in without TLS</source>
        <translation>Les certificats approuvés de %1 ne peuvent pas être lus ; Tandrel demande avant toute connexion sans TLS</translation>
    </message>
    <message id="TrustStoreNotMoved">
        <source>%1 could not be read or moved aside: %2</source>
        <translation>%1 n’a pu être ni lu ni mis de côté : %2</translation>
    </message>
    <message id="Protocol">
        <source>Protocol</source>
        <translation>Protocole</translation>
    </message>
    <message id="KeyFile">
        <source>Key file</source>
        <translation>Fichier de clé</translation>
    </message>
    <message id="KeyFilePlaceholder">
        <source>ssh-agent and ~/.ssh/id_* when empty</source>
        <translation>ssh-agent et ~/.ssh/id_* si vide</translation>
    </message>
    <message id="EncryptionNoteSftp">
        <source>SSH protects SFTP connections: the Encryption choice is for FTP.</source>
        <translation>SSH protège les connexions SFTP : le choix du chiffrement vaut pour FTP.</translation>
    </message>
    <message id="SecurityHostKeyNotSaved">
        <source>The trusted host key could not be saved: %1</source>
        <translation>La clé d’hôte approuvée n’a pas pu être enregistrée : %1</translation>
    </message>
    <message id="SecuritySshKnown">
        <source>SSH, host key known</source>
        <translation>SSH, clé d’hôte connue</translation>
    </message>
    <message id="SecuritySshTrusted">
        <source>SSH, host key trusted by you</source>
        <translation>SSH, clé d’hôte approuvée par vous</translation>
    </message>
    <message id="SecurityHostKeyUnknown">
        <source>The host key of %1 is not known</source>
        <translation>La clé d’hôte de %1 n’est pas connue</translation>
    </message>
    <message id="SecurityHostKeyChanged">
        <source>WARNING: the host key of %1 has changed</source>
        <translation>ATTENTION : la clé d’hôte de %1 a changé</translation>
    </message>
    <message id="SecurityTrustHostKey">
        <source>Trust this host key</source>
        <translation>Faire confiance à cette clé d’hôte</translation>
    </message>
    <message id="HostKeyType">
        <source>Key type: %1</source>
        <translation>Type de clé : %1</translation>
    </message>
    <message id="HostKeyFingerprint">
        <source>Fingerprint: %1</source>
        <translation>Empreinte : %1</translation>
    </message>
    <message id="HostKeyKnownBefore">
        <source>Known before: %1</source>
        <translation>Connue auparavant : %1</translation>
    </message>
    <message id="HostKeyWarning">
        <source>Someone may be listening in; nothing was sent.</source>
        <translation>Quelqu’un écoute peut-être ; rien n’a été envoyé.</translation>
    </message>
    <message id="TreeOneFile">
        <source>1 file</source>
        <translation>1 fichier</translation>
    </message>
    <message id="TreeFiles">
        <source>%L1 files</source>
        <translation>%L1 fichiers</translation>
    </message>
    <message id="TreeOneFolder">
        <source>1 folder</source>
        <translation>1 dossier</translation>
    </message>
    <message id="TreeFolders">
        <source>%L1 folders</source>
        <translation>%L1 dossiers</translation>
    </message>
    <message id="StatusListingToDelete">
        <source>Listing "%1" to delete it</source>
        <translation>Liste de « %1 » avant de le supprimer</translation>
    </message>
    <message id="DeleteTreeUnaddressable">
        <source>names in it that no request can carry: %L1</source>
        <translation>des noms qu’aucune requête ne peut porter : %L1</translation>
    </message>
    <message id="DeleteTreeNamed">
        <source>Delete "%1" with %2 in %3?</source>
        <translation>Supprimer « %1 » avec %2 dans %3 ?</translation>
    </message>
    <message id="DeleteTreeNotListed">
        <source>cannot list "%1": %2</source>
        <translation>impossible de lister « %1 » : %2</translation>
    </message>
    <message id="StatusDeletingTree">
        <source>Deleting "%1"</source>
        <translation>Suppression de « %1 »</translation>
    </message>
    <message id="DeleteTreeLeft">
        <source>%1; %2 in %3 left</source>
        <translation>%1 ; %2 dans %3 restent</translation>
    </message>
    <message id="TreeLoop">
        <source>lists as a folder above it (a loop)</source>
        <translation>se liste comme un dossier au-dessus de lui (une boucle)</translation>
    </message>
    <message id="TreeLinkSkipped">
        <source>a link that leads out of the folder or to a folder</source>
        <translation>un lien qui sort du dossier ou mène à un dossier</translation>
    </message>
    <message id="TreeNotRegular">
        <source>not a regular file</source>
        <translation>pas un fichier ordinaire</translation>
    </message>
    <message id="QueueLinkNotFile">
        <source>a link to no file</source>
        <translation>un lien vers aucun fichier</translation>
    </message>
    <message id="QueueExistsOverwrite">
        <source>Overwrite</source>
        <translation>Écraser</translation>
    </message>
    <message id="QueueExistsIfDifferent">
        <source>Overwrite if the size or date differs</source>
        <translation>Écraser si la taille ou la date diffère</translation>
    </message>
    <message id="QueueExistsResume">
        <source>Resume</source>
        <translation>Reprendre</translation>
    </message>
    <message id="StatusDiskFull">
        <source>No space left on the disk: %L1 done, %L2 not fetched</source>
        <translation>Plus de place sur le disque : %L1 terminés, %L2 non récupérés</translation>
    </message>
    <message id="QueueExistsSkip">
        <source>Skip</source>
        <translation>Ignorer</translation>
    </message>
    <message id="QueueExistsKeepBoth">
        <source>Keep both</source>
        <translation>Garder les deux</translation>
    </message>
    <message id="QueueExistsTitle">
        <source>&quot;%1&quot; is already there</source>
        <translation>« %1 » existe déjà</translation>
    </message>
    <message id="QueueExistsInfo">
        <source>What happens to it and to the other files of this folder already there?</source>
        <translation>Que faire de lui et des autres fichiers de ce dossier déjà présents ?</translation>
    </message>
    <message id="QueueExistsGoOn">
        <source>Go on</source>
        <translation>Continuer</translation>
    </message>
    <message id="QueueNoFreeName">
        <source>no free name beside the file there</source>
        <translation>aucun nom libre à côté du fichier existant</translation>
    </message>
    <message id="QueueFolderDisconnected">
        <source>Stopped: disconnected</source>
        <translation>Arrêté : déconnecté</translation>
    </message>
    <message id="QueueFolderRunning">
        <source>%L1 of %L2 files</source>
        <translation>%L1 sur %L2 fichiers</translation>
    </message>
    <message id="QueueFileRunning">
        <source>Running, %1%</source>
        <translation>En cours, %1 %</translation>
    </message>
    <message id="QueueFileSkipped">
        <source>Skipped: %1</source>
        <translation>Ignoré : %1</translation>
    </message>
    <message id="QueueFileThere">
        <source>already there</source>
        <translation>déjà présent</translation>
    </message>
    <message id="QueueCancelItem">
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message id="QueueRetryItem">
        <source>Retry</source>
        <translation>Réessayer</translation>
    </message>
    <message id="QueueFolderOneFile">
        <source>1 file</source>
        <translation>1 fichier</translation>
    </message>
    <message id="QueueFolderFiles">
        <source>%L1 files</source>
        <translation>%L1 fichiers</translation>
    </message>
    <message id="QueueFolderSkipped">
        <source>%L1 skipped</source>
        <translation>%L1 ignorés</translation>
    </message>
    <message id="QueueMoreProblems">
        <source>and %L1 more</source>
        <translation>et %L1 de plus</translation>
    </message>
    <message id="QueueFolderFailed">
        <source>%L1 failed</source>
        <translation>%L1 en échec</translation>
    </message>
    <message id="StatusDownloadedFolder">
        <source>Downloaded %1 to %2 (%3)</source>
        <translation>%1 téléchargé dans %2 (%3)</translation>
    </message>
    <message id="StatusUploadedFolder">
        <source>Uploaded %1 (%2)</source>
        <translation>%1 envoyé (%2)</translation>
    </message>
    <message id="StatusFewerConnections">
        <source>The server refused another connection: going on with %1</source>
        <translation>Le serveur a refusé une connexion de plus : on continue avec %1</translation>
    </message>
    <message id="KeyPassphraseNeeded">
        <source>The key %1 is protected by a passphrase</source>
        <translation>La clé %1 est protégée par une phrase de passe</translation>
    </message>
    <message id="KeyPassphrasePrompt">
        <source>Passphrase (kept until Tandrel quits, never saved):</source>
        <translation>Phrase de passe (gardée jusqu’à la fermeture de Tandrel, jamais enregistrée) :</translation>
    </message>
    <message id="KeyPassphraseUnlock">
        <source>Unlock</source>
        <translation>Déverrouiller</translation>
    </message>
    <message id="KeyPassphraseCancel">
        <source>Cancel</source>
        <translation>Annuler</translation>
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
        <translation>Nouveau</translation>
    </message>
    <message id="SiteRename">
        <source>Rename</source>
        <translation>Renommer</translation>
    </message>
    <message id="SiteDuplicate">
        <source>Duplicate</source>
        <translation>Dupliquer</translation>
    </message>
    <message id="SiteDelete">
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message id="SiteDefaultName">
        <source>My server</source>
        <translation>Mon serveur</translation>
    </message>
    <message id="PasswordsInFile">
        <source>Passwords are saved in a file only you can read</source>
        <translation>Les mots de passe sont enregistrés dans un fichier que vous seul pouvez lire</translation>
    </message>
    <message id="SitesUnreadable">
        <source>The saved sites could not be read</source>
        <translation>Les sites enregistrés n’ont pas pu être lus</translation>
    </message>
    <message id="SitesMovedAside">
        <source>The sites file was kept as %1; Tandrel started with the site in use.</source>
        <translation>Le fichier des sites a été conservé sous %1 ; Tandrel a démarré avec le site en cours.</translation>
    </message>
    <message id="SiteNameRefused">
        <source>The site was not saved</source>
        <translation>Le site n’a pas été enregistré</translation>
    </message>
    <message id="SiteNameEmpty">
        <source>A site needs a name.</source>
        <translation>Un site doit avoir un nom.</translation>
    </message>
    <message id="SiteNameTaken">
        <source>A site named "%1" exists already.</source>
        <translation>Un site nommé « %1 » existe déjà.</translation>
    </message>
    <message id="SiteNewPrompt">
        <source>Name of the new site:</source>
        <translation>Nom du nouveau site :</translation>
    </message>
    <message id="SiteRenamePrompt">
        <source>New name of the site:</source>
        <translation>Nouveau nom du site :</translation>
    </message>
    <message id="SiteDuplicatePrompt">
        <source>Name of the copy:</source>
        <translation>Nom de la copie :</translation>
    </message>
    <message id="SiteCopyName">
        <source>%1 (copy)</source>
        <translation>%1 (copie)</translation>
    </message>
    <message id="SiteDeleteConfirm">
        <source>Delete the site "%1"?</source>
        <translation>Supprimer le site « %1 » ?</translation>
    </message>
    <message id="SiteDeleteInfo">
        <source>Its settings and saved passwords are removed.</source>
        <translation>Ses réglages et ses mots de passe enregistrés sont supprimés.</translation>
    </message>
    <message id="LinkRefused">
        <source>Tandrel cannot open this link</source>
        <translation>Tandrel ne peut pas ouvrir ce lien</translation>
    </message>
    <message id="LinkHasSpace">
        <source>The link holds a space or a control character.</source>
        <translation>Le lien contient une espace ou un caractère de contrôle.</translation>
    </message>
    <message id="LinkNotALink">
        <source>"%1" is not a link to a server.</source>
        <translation>« %1 » n’est pas un lien vers un serveur.</translation>
    </message>
    <message id="LinkScheme">
        <source>Tandrel opens ftp://, ftps:// and sftp:// links, not %1://.</source>
        <translation>Tandrel ouvre les liens ftp://, ftps:// et sftp://, pas %1://.</translation>
    </message>
    <message id="LinkFolderBreak">
        <source>The link's folder holds a line break or a NUL.</source>
        <translation>Le dossier du lien contient un saut de ligne ou un NUL.</translation>
    </message>
    <message id="ReadingKeyring">
        <source>Reading the password from the keyring…</source>
        <translation>Lecture du mot de passe dans le trousseau…</translation>
    </message>
</context>
</TS>
