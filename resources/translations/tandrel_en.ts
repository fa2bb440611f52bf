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
</context>
</TS>
