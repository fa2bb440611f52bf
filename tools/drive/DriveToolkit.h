#pragma once

#include "drive/DriveOptions.h"
#include "platform/toolkit/Toolkit.h"

namespace drive {

// Alerts get the default button, prompts the queued texts (none: Cancel); open panels get the
// queued paths.
class DriveToolkit final : public Toolkit
{
public:
    // One list of files for each open panel to come.
    QList<QStringList> panelPaths;
    QStringList promptTexts;
    QString trustFingerprint;
    QString passphrase; // answers the key file's passphrase question; none: Cancel

    AlertAnswer runModalAlert(const Alert& alert) override
    {
        print({QStringLiteral("alert"), alert.messageText});
        if (alert.secretText)
            return passphrase.isEmpty() ? AlertAnswer{kAlternateReturn, QString()}
                                        : AlertAnswer{kDefaultReturn, passphrase};
        if (alert.hasTextField)
            return promptTexts.isEmpty() ? AlertAnswer{kAlternateReturn, QString()}
                                         : AlertAnswer{kDefaultReturn, promptTexts.takeFirst()};
        // A choice goes to the first offered.
        return {kDefaultReturn, alert.choices.value(0)};
    }
    OpenPanelAnswer runModalOpenPanel(const OpenPanel& /*panel*/) override
    {
        if (panelPaths.isEmpty())
            return {};
        const QStringList paths = panelPaths.takeFirst();
        return {kDefaultReturn, paths.value(0), paths};
    }
    int runModalSecurityAlert(const SecurityAlert& alert) override
    {
        // An SSH host key's fingerprint is base64: its case matters.
        const QString fingerprint =
            alert.hostKey ? alert.hostKey->fingerprint : alert.certificate.fingerprint;
        print({QStringLiteral("alert"), alert.problem, fingerprint});
        const bool matches =
            !trustFingerprint.isEmpty() &&
            fingerprint.compare(trustFingerprint,
                                alert.hostKey ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
        return alert.kind != SecurityAlert::Kind::PlainText && matches ? kDefaultReturn
                                                                       : kAlternateReturn;
    }
    void beginSheet(QDialog* /*sheet*/, QWidget* /*window*/) override {}
    void endSheet(QDialog* /*sheet*/) override {}
};

} // namespace drive
