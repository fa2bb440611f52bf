// Saved sites: the chooser row on the Server tab, the sites file, the passwords in the keyring,
// and the links (ftp://...) that open a connection of their own.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

#include "Classes/Controller.h"
#include "ConnectUrl.h"
#include "OperationOutcome.h"
#include "platform/Keyring.h"
#include "platform/SiteStore.h"
#include "platform/UserDefaults.h"
#include "platform/toolkit/Toolkit.h"
#include "ui_CustomWindow.h"

namespace {

UserDefaults& store()
{
    return UserDefaults::standardUserDefaults();
}

QString text(const char* id, const char* english)
{
    return OperationOutcome::localizedText(id, english);
}

QString keyringKey(const QString& siteId, const SettingInfo& info)
{
    return siteId + QLatin1Char('/') + QLatin1String(info.name);
}

template <typename Each> void forEachSecret(Each each)
{
    for (const SettingInfo& info : kSettings)
        if (info.scope == SettingScope::SiteSecret)
            each(info);
}

void showAlert(const QString& message, const QString& information)
{
    Toolkit::Alert alert;
    alert.style = Toolkit::AlertStyle::Warning;
    alert.messageText = message;
    alert.informativeText = information;
    Toolkit::shared().runModalAlert(alert);
}

} // namespace

void Controller::connectSiteOutlets(const Ui::CustomWindow& ui)
{
    siteLabel = ui.siteLabel;
    siteChooser = ui.siteChooser;
    newSiteButton = ui.newSiteButton;
    renameSiteButton = ui.renameSiteButton;
    duplicateSiteButton = ui.duplicateSiteButton;
    deleteSiteButton = ui.deleteSiteButton;
    passwordNoteLabel = ui.passwordNoteLabel;
    //% "Site"
    siteLabel->setText(text("SiteLabel", "Site"));
    //% "New"
    newSiteButton->setText(text("SiteNew", "New"));
    //% "Rename"
    renameSiteButton->setText(text("SiteRename", "Rename"));
    //% "Duplicate"
    duplicateSiteButton->setText(text("SiteDuplicate", "Duplicate"));
    //% "Delete"
    deleteSiteButton->setText(text("SiteDelete", "Delete"));
    //% "Passwords are saved in a file only you can read"
    passwordNoteLabel->setText(
        text("PasswordsInFile", "Passwords are saved in a file only you can read"));
    connect(siteChooser, &QComboBox::activated, this, &Controller::siteChosenAction);
    connect(newSiteButton, &QPushButton::clicked, this, &Controller::newSiteAction);
    connect(renameSiteButton, &QPushButton::clicked, this, &Controller::renameSiteAction);
    connect(duplicateSiteButton, &QPushButton::clicked, this, &Controller::duplicateSiteAction);
    connect(deleteSiteButton, &QPushButton::clicked, this, &Controller::deleteSiteAction);
}

void Controller::initSites()
{
    siteStore = std::make_unique<SiteStore>(SiteStore::read());
    if (!siteStore->movedAsideTo.isEmpty()) {
        const QString aside = siteStore->movedAsideTo;
        QTimer::singleShot(0, this, [aside] {
            //% "The saved sites could not be read"
            showAlert(text("SitesUnreadable", "The saved sites could not be read"),
                      //% "The sites file was kept as %1; Tandrel started with the site in use."
                      text("SitesMovedAside",
                           "The sites file was kept as %1; Tandrel started with the site in use.")
                          .arg(aside));
        });
    }
    // A store from before sites, or whose site is gone from the file, is a site of its own,
    // shown first; it is written to the file with the next save.
    if (!siteStore->siteWithId(currentSiteId())) {
        // Named after its server; without one it stays unnamed and shows in the user's language.
        const QString host = store().text(Setting::Host);
        QString name = host;
        for (int n = 2; !host.isEmpty() && siteTitled(name); ++n)
            name = host + QStringLiteral(" (%1)").arg(n);
        siteStore->sites.prepend({SiteStore::newId(), name, store().siteValues(true)});
        store().setValue(siteStore->sites.first().id, Setting::Site);
        store().synchronize();
    }
    fillSiteChooser();
    Keyring& keyring = Keyring::shared();
    connect(&keyring, &Keyring::availabilityKnown, this, &Controller::keyringAnswered);
    if (keyring.state() == Keyring::State::Unknown)
        keyring.probe();
    else
        keyringAnswered(keyring.state() == Keyring::State::Available);
}

QString Controller::siteTitle(const Site& site)
{
    //% "My server"
    return site.name.isEmpty() ? text("SiteDefaultName", "My server") : site.name;
}

Site* Controller::siteTitled(const QString& title) const
{
    for (Site& site : siteStore->sites)
        if (siteTitle(site) == title)
            return &site;
    return nullptr;
}

QString Controller::currentSiteId() const
{
    return store().text(Setting::Site);
}

void Controller::fillSiteChooser()
{
    const QSignalBlocker blocker(siteChooser);
    siteChooser->clear();
    if (!linkShown.isEmpty())
        siteChooser->addItem(linkShown, QString());
    for (const Site& site : siteStore->sites)
        siteChooser->addItem(siteTitle(site), site.id);
    siteChooser->setCurrentIndex(linkShown.isEmpty() ? siteChooser->findData(currentSiteId()) : 0);
    renameSiteButton->setEnabled(linkShown.isEmpty() && siteChooser->isEnabled());
    deleteSiteButton->setEnabled(linkShown.isEmpty() && siteChooser->isEnabled());
}

void Controller::setSitesEditable(bool editable)
{
    for (QWidget* control : std::initializer_list<QWidget*>{
             siteChooser, newSiteButton, renameSiteButton, duplicateSiteButton, deleteSiteButton})
        control->setEnabled(editable);
    if (editable && siteStore)
        fillSiteChooser();
}

void Controller::siteChosenAction(int index)
{
    const QString id = siteChooser->itemData(index).toString();
    if (id.isEmpty() || (linkShown.isEmpty() && id == currentSiteId()))
        return;
    // The edits of the site left are kept, as a connect keeps them.
    saveAction();
    useSite(id);
}

bool Controller::chooseSiteNamed(const QString& name)
{
    const Site* site = siteTitled(name);
    if (!site)
        return false;
    const int index = siteChooser->findData(site->id);
    siteChooser->setCurrentIndex(index);
    siteChosenAction(index);
    return true;
}

// The saved site's settings become the store's, and the fields show them.
void Controller::useSite(const QString& id)
{
    const Site* site = siteStore->siteWithId(id);
    if (!site)
        return;
    store().setTransientSite(std::nullopt);
    linkShown.clear();
    store().setSiteValues(site->values);
    store().setValue(id, Setting::Site);
    store().synchronize();
    showStoredSettings();
    fillSiteChooser();
    if (store().secretsInKeyring())
        readSecrets(id);
}

void Controller::showStoredSettings()
{
    const std::pair<QLineEdit*, Setting> fields[] = {{hostField, Setting::Host},
                                                     {portField, Setting::Port},
                                                     {directoryField, Setting::Directory},
                                                     {userField, Setting::User},
                                                     {passwordField, Setting::Password},
                                                     {proxyHostField, Setting::ProxyHost},
                                                     {proxyPortField, Setting::ProxyPort},
                                                     {proxyUserField, Setting::ProxyUser},
                                                     {proxyPasswordField, Setting::ProxyPassword}};
    for (const auto& [field, key] : fields)
        field->setText(store().text(key));
    passiveCheckBox->setChecked(store().integerForKey(Setting::Passive) == 1);
    const bool anonymous = store().integerForKey(Setting::Anonymous) != 0;
    anonymousCheckBox->setChecked(anonymous);
    for (QWidget* control :
         {static_cast<QWidget*>(userLabel), static_cast<QWidget*>(userField),
          static_cast<QWidget*>(passwordLabel), static_cast<QWidget*>(passwordField)})
        setLook(control, !anonymous);
    userField->setReadOnly(anonymous);
    passwordField->setReadOnly(anonymous);
    loadEncryption();
    useProxyCheckBox->setChecked(store().integerForKey(Setting::UseProxy) != 0);
    applyProxyAppearance();
    saveItem->setEnabled(false);
}

// After a save: the site in use keeps what the store now holds. Its passwords go to the keyring
// where one answers, and so do those that other sites still hold in the file.
void Controller::storeCurrentSite()
{
    Site* site = siteStore ? siteStore->siteWithId(currentSiteId()) : nullptr;
    if (store().hasTransientSite() || !site)
        return;
    const bool inKeyring = store().secretsInKeyring();
    bool changed = false;
    if (inKeyring) {
        // Only what changed goes to the keyring: each request may bring up the desktop's prompt.
        forEachSecret([&](const SettingInfo& info) {
            const QString key = keyringKey(site->id, info);
            const QString secret = store().text(info.setting);
            if (!secret.isEmpty() && keyringHolds.value(key) != secret) {
                Keyring::shared().write(key, secret);
                keyringHolds.insert(key, secret);
            } else if (secret.isEmpty() && keyringHolds.contains(key)) {
                Keyring::shared().remove(key);
                keyringHolds.remove(key);
            }
        });
        for (Site& other : siteStore->sites)
            forEachSecret([&](const SettingInfo& info) {
                const QString name = QLatin1String(info.name);
                if (!other.values.contains(name))
                    return;
                if (const QString secret = other.values.take(name).toString(); !secret.isEmpty()) {
                    Keyring::shared().write(keyringKey(other.id, info), secret);
                    keyringHolds.insert(keyringKey(other.id, info), secret);
                }
                changed = true;
            });
    }
    const QVariantMap values = store().siteValues(!inKeyring);
    changed = changed || values != site->values;
    site->values = values;
    if (changed)
        siteStore->write();
}

// Whether the login's password may still come from the keyring: a user without one, while the
// keyring has not said whether it answers or is still reading.
bool Controller::secretsUnknown() const
{
    return !store().hasTransientSite() && store().integerForKey(Setting::Anonymous) == 0 &&
           !store().text(Setting::User).isEmpty() && store().text(Setting::Password).isEmpty() &&
           (Keyring::shared().state() == Keyring::State::Unknown || secretReads > 0);
}

void Controller::secretsArrived()
{
    if (std::exchange(connectAfterSecrets, false) && connectItem->isEnabled())
        connectAction();
}

void Controller::readSecrets(const QString& siteId)
{
    forEachSecret([&](const SettingInfo& info) {
        QPointer<Controller> self(this);
        ++secretReads;
        Keyring::shared().read(
            keyringKey(siteId, info), [self, siteId, info](std::optional<QString> secret) {
                if (!self)
                    return;
                const auto arrived = qScopeGuard([&] {
                    if (--self->secretReads == 0)
                        self->secretsArrived();
                });
                if (secret)
                    self->keyringHolds.insert(keyringKey(siteId, info), *secret);
                // A site left meanwhile, or a password already typed or in the file, stays.
                if (!secret || self->currentSiteId() != siteId || store().hasTransientSite() ||
                    !store().text(info.setting).isEmpty())
                    return;
                store().setValue(*secret, info.setting);
                QLineEdit* field = info.setting == Setting::Password ? self->passwordField
                                                                     : self->proxyPasswordField;
                if (field->text().isEmpty() &&
                    (info.setting != Setting::Password || !self->anonymousCheckBox->isChecked()))
                    field->setText(*secret);
            });
    });
}

void Controller::keyringAnswered(bool available)
{
    passwordNoteLabel->setVisible(!available);
    store().setSecretsInKeyring(available);
    if (available && !store().hasTransientSite())
        readSecrets(currentSiteId());
    if (secretReads == 0)
        secretsArrived();
}

std::optional<QString> Controller::promptSiteName(const QString& message, const QString& current,
                                                  const Site* renamed)
{
    Toolkit::Alert alert;
    alert.style = Toolkit::AlertStyle::Informational;
    alert.messageText = message;
    alert.hasTextField = true;
    alert.fieldText = current;
    alert.defaultButton = localizedString("OK");
    alert.alternateButton = localizedString("Cancel");
    const Toolkit::AlertAnswer answer = Toolkit::shared().runModalAlert(alert);
    if (answer.code != Toolkit::kDefaultReturn)
        return std::nullopt;
    const QString name = answer.text.trimmed();
    if (const QString problem = siteNameProblem(name, renamed); !problem.isEmpty()) {
        //% "The site was not saved"
        showAlert(text("SiteNameRefused", "The site was not saved"), problem);
        return std::nullopt;
    }
    return name;
}

QString Controller::siteNameProblem(const QString& name, const Site* renamed) const
{
    if (name.isEmpty())
        //% "A site needs a name."
        return text("SiteNameEmpty", "A site needs a name.");
    if (const Site* same = siteTitled(name); same && same != renamed)
        //% "A site named \"%1\" exists already."
        return text("SiteNameTaken", "A site named \"%1\" exists already.").arg(name);
    return QString();
}

void Controller::newSiteAction()
{
    //% "Name of the new site:"
    const auto name = promptSiteName(text("SiteNewPrompt", "Name of the new site:"), QString());
    if (!name)
        return;
    if (linkShown.isEmpty())
        saveAction();
    Site site{SiteStore::newId(), *name, {}};
    site.values.insert(UserDefaults::nameOf(Setting::Passive), QVariant::fromValue(qint64(1)));
    siteStore->sites.append(site);
    siteStore->write();
    useSite(site.id);
}

void Controller::renameSiteAction()
{
    Site* site = siteStore->siteWithId(currentSiteId());
    if (!site || !linkShown.isEmpty())
        return;
    //% "New name of the site:"
    const auto name =
        promptSiteName(text("SiteRenamePrompt", "New name of the site:"), siteTitle(*site), site);
    if (!name)
        return;
    site->name = *name;
    siteStore->write();
    fillSiteChooser();
}

void Controller::duplicateSiteAction()
{
    const QString current = linkShown.isEmpty() ? siteChooser->currentText() : QString();
    //% "Name of the copy:"
    const auto name = promptSiteName(
        text("SiteDuplicatePrompt", "Name of the copy:"),
        //% "%1 (copy)"
        current.isEmpty() ? QString() : text("SiteCopyName", "%1 (copy)").arg(current));
    if (name)
        saveSiteAs(*name);
}

QString Controller::saveSiteAs(const QString& name)
{
    if (const QString problem = siteNameProblem(name); !problem.isEmpty())
        return problem;
    // The fields as they are now, of a saved site or of a link.
    saveFTPAction();
    saveProxyAction();
    const QVariantMap values = store().siteValues(true);
    store().setTransientSite(std::nullopt);
    linkShown.clear();
    const Site site{SiteStore::newId(), name, {}};
    siteStore->sites.append(site);
    store().setSiteValues(values);
    store().setValue(site.id, Setting::Site);
    store().synchronize();
    storeCurrentSite();
    siteStore->write();
    fillSiteChooser();
    saveItem->setEnabled(false);
    return QString();
}

void Controller::deleteSiteAction()
{
    Site* site = siteStore->siteWithId(currentSiteId());
    if (!site || !linkShown.isEmpty())
        return;
    Toolkit::Alert alert;
    alert.style = Toolkit::AlertStyle::Warning;
    //% "Delete the site \"%1\"?"
    alert.messageText = text("SiteDeleteConfirm", "Delete the site \"%1\"?").arg(siteTitle(*site));
    //% "Its settings and saved passwords are removed."
    alert.informativeText = text("SiteDeleteInfo", "Its settings and saved passwords are removed.");
    alert.defaultButton = text("SiteDelete", "Delete");
    alert.alternateButton = localizedString("Cancel");
    if (Toolkit::shared().runModalAlert(alert).code != Toolkit::kDefaultReturn)
        return;
    if (store().secretsInKeyring())
        forEachSecret([&](const SettingInfo& info) {
            Keyring::shared().remove(keyringKey(site->id, info));
            keyringHolds.remove(keyringKey(site->id, info));
        });
    siteStore->sites.removeIf([id = site->id](const Site& s) { return s.id == id; });
    if (siteStore->sites.isEmpty()) {
        Site empty{SiteStore::newId(), QString(), {}};
        empty.values.insert(UserDefaults::nameOf(Setting::Passive), QVariant::fromValue(qint64(1)));
        siteStore->sites.append(empty);
    }
    siteStore->write();
    useSite(siteStore->sites.first().id);
}

bool Controller::openLink(const QString& link)
{
    const auto parsed = ConnectUrl::parse(link);
    if (const QString* problem = std::get_if<QString>(&parsed)) {
        //% "Tandrel cannot open this link"
        showAlert(text("LinkRefused", "Tandrel cannot open this link"), *problem);
        return false;
    }
    const ConnectUrl& url = std::get<ConnectUrl>(parsed);
    if (!connectItem->isEnabled()) {
        disconnectAction();
        if (!connectItem->isEnabled()) // the user kept a running transfer
            return false;
    } else if (linkShown.isEmpty()) {
        saveAction();
    }
    // The proxy of the site in use still applies: it is how this computer reaches servers.
    QVariantMap values = store().siteValues(true);
    const QVariantMap server = url.siteValues();
    for (auto it = server.cbegin(); it != server.cend(); ++it)
        values.insert(it.key(), it.value());
    store().setTransientSite(values);
    linkShown = url.displayText();
    showStoredSettings();
    fillSiteChooser();
    connectAction();
    return true;
}
