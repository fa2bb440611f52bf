#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "platform/ftp/ConnectionSecurity.h"

class QDialog;
class QWidget;

// The dialogs Tandrel needs from the desktop, behind one boundary. The application uses Qt's
// own dialogs; tests install a scripted stand-in that answers without a person.
class Toolkit
{
public:
    enum class AlertStyle
    {
        Warning,
        Informational,
        Critical
    };

    // Answers of a modal alert: the default button, or the alternate one (Cancel).
    static constexpr int kDefaultReturn = 1;
    static constexpr int kAlternateReturn = 0;

    struct Alert
    {
        AlertStyle style = AlertStyle::Warning;
        QString messageText;
        QString informativeText;
        QString defaultButton;           // empty: the platform's single default button
        QString alternateButton;         // empty: no second button
        bool hasTextField = false;       // a single-line text field for the user's answer
        QString fieldText;               // what the text field holds at first
        bool alternateIsDefault = false; // Enter answers the alternate button (Cancel)
        bool secretText = false;         // the field shows dots, as for a password
        // One to choose from a list instead of a text field: the answer's text is the one chosen.
        QStringList choices;
    };

    struct AlertAnswer
    {
        int code = kAlternateReturn;
        QString text; // the text field's contents
    };

    struct OpenPanel
    {
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool allowsMultipleSelection = false;
        QString directory; // where it opens
    };

    struct OpenPanelAnswer
    {
        int code = kAlternateReturn; // kDefaultReturn when the user confirmed
        QString path;                // the chosen file, or the folder shown when confirmed
        QStringList paths;           // every chosen file, where several may be chosen
    };

    // A question about a connection's security. The default button (kDefaultReturn) trusts
    // the certificate or allows plain text; for a changed certificate and for plain text the
    // dialog starts on Cancel.
    struct SecurityAlert
    {
        enum class Kind
        {
            Untrusted, // the certificate could not be verified
            Changed,   // not the certificate trusted before for this host
            PlainText, // a host once used with TLS now offers none
        };
        Kind kind = Kind::Untrusted;
        QString host; // "host:port"
        QString problem;
        CertificateDetails certificate; // for Untrusted and Changed, over TLS
        QString previousFingerprint;    // for Changed
        // For Untrusted and Changed over SSH (the certificate is then empty): the host key,
        // with the fingerprint known before for Changed.
        std::optional<HostKeyDetails> hostKey;
    };

    virtual ~Toolkit() = default;

    // Modal runs hold every stream event until they return.
    virtual AlertAnswer runModalAlert(const Alert& alert) = 0;
    virtual OpenPanelAnswer runModalOpenPanel(const OpenPanel& panel) = 0;
    // A sheet is modal for its window only; stream events go on.
    virtual void beginSheet(QDialog* sheet, QWidget* window) = 0;
    virtual void endSheet(QDialog* sheet) = 0;
    // Modal as an alert. A toolkit that cannot ask answers Cancel.
    virtual int runModalSecurityAlert(const SecurityAlert& /*alert*/) { return kAlternateReturn; }

    // The toolkit in use: Qt's dialogs unless another was installed.
    static Toolkit& shared();
    // Installs a toolkit (not owned); nullptr goes back to Qt's dialogs.
    static void setShared(Toolkit* toolkit);
};
