#include <algorithm>
#include <cmath>

#include <QDialog>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>

#include "CustomView.h"
#include "ElidingLabel.h"
#include "WindowFixture.h"

namespace {

// The inactive look shows the style's disabled colours on a control that stays usable.
bool looksInactive(QWidget* control)
{
    const QPalette& palette = control->palette();
    return palette.color(QPalette::Text) == palette.color(QPalette::Disabled, QPalette::Text) &&
           palette.color(QPalette::Text) != QApplication::palette(control).color(QPalette::Text);
}

// How far two colours stand apart for reading, as the contrast ratio of their luminances
// (1: the same, 21: black on white).
double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb rgb) {
        const auto linear = [](int value) {
            const double c = value / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) +
               0.0722 * linear(qBlue(rgb));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// White text and darker disabled text on near-black, as dark desktop themes set it.
QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        dark.setColor(QPalette::Active, role, Qt::white);
        dark.setColor(QPalette::Inactive, role, Qt::white);
        dark.setColor(QPalette::Disabled, role, QColor(0x7f, 0x7f, 0x7f));
    }
    return dark;
}

} // namespace

using WindowStates = WindowFixture;

TEST_F(WindowStates, TheToolbarKeepsColoursMadeForThePictureInLightAndDarkPalettes)
{
    const QPalette original = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });
    for (const QPalette& palette : {QApplication::style()->standardPalette(), darkPalette()}) {
        QApplication::setPalette(palette);
        app.reset();
        startApp();
        const QImage shot = app->window()->grab().toImage();
        const QImage picture = app->window()->findChild<CustomView*>()->circleImage().toImage();
        // A button's text as painted: its pixel (below the icon) that stands out most from the
        // picture behind it.
        const auto textContrast = [&](QWidget* button, bool underIcon) {
            QRect area(button->mapTo(app->window(), QPoint()), button->size());
            if (underIcon)
                area.setTop(area.center().y() + 8);
            std::pair<double, QRgb> most{1, 0};
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    most = std::max(
                        most, {contrast(shot.pixel(x, y), picture.pixel(x, y)), shot.pixel(x, y)});
            return most;
        };
        const auto item = [&](QAction* a) {
            return textContrast(c->toolbar->widgetForAction(a), true);
        };
        const auto [connect, connectInk] = item(c->connectItem);
        // Enabled: clear on the picture. Disabled: visible, yet plainly fainter.
        EXPECT_GE(connect, 4.5);
        for (const char* name : {"minimizeButton", "closeButton"})
            EXPECT_GE(textContrast(app->window()->findChild<QWidget*>(name), false).first, 4.5);
        for (QAction* disabled : {c->disconnectItem, c->saveItem}) {
            const auto [faint, ink] = item(disabled);
            EXPECT_GE(faint, 1.5);
            EXPECT_LE(faint * 1.8, connect);
            EXPECT_GE(contrast(connectInk, ink), 1.8);
        }
    }
}

TEST_F(WindowStates, ALongStatusEndsInAnEllipsisWithinTheWindowAndShowsWholeAsToolTip)
{
    startApp();
    c->tabView->setCurrentWidget(c->serverTabViewItem);
    const QString text = "550 " + QStringLiteral("refused ").repeated(60);
    c->showStatus(text);
    QApplication::sendPostedEvents();
    EXPECT_LT(c->statusLabel->geometry().right(), c->serverTabViewItem->width());
    auto* label = qobject_cast<ElidingLabel*>(c->statusLabel);
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->shownText().endsWith(QChar(0x2026))) << label->shownText().toStdString();
    EXPECT_EQ(c->statusLabel->toolTip(), text);
}

TEST_F(WindowStates, StartUpShowsTheStoredValuesOrEmptyFieldsAndAlwaysBeginsInPassiveMode)
{
    startApp();
    for (const char* key : {"Host", "Port", "Directory", "User", "Password", "ProxyHost",
                            "ProxyPort", "ProxyUser", "ProxyPassword"}) {
        const QVariant value = store().objectForKey(QLatin1String(key));
        EXPECT_TRUE(value.isValid() && value.toString().isEmpty()) << key;
    }
    EXPECT_FALSE(store().objectForKey("Anonymous").isValid() ||
                 store().objectForKey("UseProxy").isValid());
    EXPECT_TRUE(c->passiveCheckBox->isChecked() && !c->anonymousCheckBox->isChecked());
    EXPECT_TRUE(c->proxyHostField->isReadOnly() && looksInactive(c->proxyHostField));
    EXPECT_TRUE(c->connectItem->isEnabled());
    EXPECT_FALSE(c->disconnectItem->isEnabled() || c->saveItem->isEnabled());
    EXPECT_EQ(enabledBrowserButtons(), 0);
    EXPECT_EQ(c->remote->ftpURLStack, QStringList{"ftp://:/"});
    EXPECT_EQ(c->downloadFolder, MiscTool::getDownloadFolder());

    app.reset();
    for (const auto& [key, value] : {std::pair{"Host", "h"},
                                     {"Port", "2121"},
                                     {"User", "anonymous"},
                                     {"ProxyHost", "proxy.local"},
                                     {"Directory", "pub/in"}})
        store().setObject(QString::fromLatin1(value), QString::fromLatin1(key));
    store().setInteger(0, "Passive");
    store().setInteger(1, "Anonymous");
    store().setInteger(1, "UseProxy");
    store().synchronize();
    settings.restart();
    startApp();
    EXPECT_EQ(store().integerForKey("Passive"), 1);
    EXPECT_TRUE(c->passiveCheckBox->isChecked() && c->anonymousCheckBox->isChecked());
    EXPECT_TRUE(looksInactive(c->userField));
    EXPECT_FALSE(c->proxyHostField->isReadOnly() || looksInactive(c->proxyHostField));
    EXPECT_EQ(c->proxyHostField->text(), "proxy.local");
    EXPECT_EQ(c->remote->ftpURLStack, QStringList{"ftp://h:2121/pub/in/"}); // the stored folder
}

TEST_F(WindowStates, AnonymousSwapsTheLoginForAnonymousAndBackToTheStoredOne)
{
    startApp();
    const auto login = [this] { return c->userField->text() + '/' + c->passwordField->text(); };
    c->userField->setText("alice");
    QTest::keyClicks(c->passwordField, "secret"); // an edit arms the save item
    c->saveItem->trigger();
    EXPECT_FALSE(c->saveItem->isEnabled());
    c->userField->setText("typed but not saved");
    c->anonymousCheckBox->click();
    EXPECT_TRUE(c->saveItem->isEnabled());
    EXPECT_EQ(login(), "anonymous/");
    EXPECT_TRUE(c->userField->isReadOnly());
    c->anonymousCheckBox->click();
    EXPECT_EQ(login(), "alice/secret");
    EXPECT_FALSE(c->userField->isReadOnly());

    c->anonymousCheckBox->click();
    c->saveAction();
    EXPECT_EQ(store().objectForKey("User").toString() + '/' +
                  store().objectForKey("Password").toString(),
              "anonymous/");
    EXPECT_EQ(store().integerForKey("Anonymous"), 1);
}

TEST_F(WindowStates, ProxyOffLocksItsTextsOnRefillsThemAndItsSaveTouchesOnlyTheProxy)
{
    startApp();
    c->hostField->setText("typed but not saved");
    c->useProxyCheckBox->click();
    c->proxyHostField->setText("unsaved");
    c->useProxyCheckBox->click();
    EXPECT_TRUE(c->proxyHostField->isReadOnly());
    EXPECT_EQ(c->proxyHostField->text(), "unsaved");
    c->useProxyCheckBox->click();
    EXPECT_FALSE(c->proxyHostField->isReadOnly());
    EXPECT_EQ(c->proxyHostField->text(), "");
    c->saveProxyAction();
    EXPECT_EQ(store().objectForKey("Host").toString(), "");
    EXPECT_EQ(store().integerForKey("UseProxy"), 1);
}

TEST_F(WindowStates, TheSettingsSheetShowsTheDownloadFolderAndTheChooserChangesItUnlessCancelled)
{
    startApp();
    c->serverButton->click();
    EXPECT_EQ(toolkit.sheetShown, app->panel());
    EXPECT_EQ(c->downloadFolderPathLabel->text(), MiscTool::getDownloadFolder());
    toolkit.answerOpenPanel(Toolkit::kDefaultReturn, "/tmp/chosen");
    c->localButton->click();
    ASSERT_EQ(toolkit.panelsShown.size(), 1);
    EXPECT_TRUE(toolkit.panelsShown[0].canChooseDirectories &&
                !toolkit.panelsShown[0].canChooseFiles);
    EXPECT_EQ(toolkit.panelsShown[0].directory, MiscTool::getDownloadFolder());
    EXPECT_EQ(c->downloadFolderPathLabel->text(), "/tmp/chosen");
    EXPECT_EQ(c->localButton->toolTip(), "/tmp/chosen");
    toolkit.answerOpenPanel(Toolkit::kAlternateReturn);
    c->localButton->click();
    EXPECT_EQ(c->downloadFolder, "/tmp/chosen");
    app->panel()->findChild<QPushButton*>("panelCloseButton")->click();
    EXPECT_TRUE(toolkit.sheetShown == nullptr && !app->panel()->isVisible());
}

// The sheet shows a stored value out of range as the nearest end and one that is no number as
// the default; a change is saved at once.
TEST_F(WindowStates, TransfersAtOnceIsSavedFromTheSheetAndReadWithinOneToEight)
{
    startApp();
    QSpinBox* field = app->panel()->findChild<QSpinBox*>("transfersAtOnceField");
    ASSERT_NE(field, nullptr);
    for (const auto& [stored, shown] :
         {std::pair{"0", 1}, std::pair{"99", 8}, std::pair{"x", 2}, std::pair{"5", 5}}) {
        store().setObject(QString::fromLatin1(stored), Setting::TransfersAtOnce);
        c->serverButton->click();
        EXPECT_EQ(field->value(), shown) << stored;
        EXPECT_EQ(MiscTool::transfersAtOnce(), shown) << stored;
    }
    EXPECT_EQ(store().text(Setting::TransfersAtOnce), "5");
    field->stepUp();
    settings.restart();
    EXPECT_EQ(store().text(Setting::TransfersAtOnce), "6");
}

TEST_F(WindowStates, TheWindowTakesTheImagesShapeAndDragsWithItsTopEdgeKeptOnScreen)
{
    startApp();
    CustomWindow* window = app->window();
    EXPECT_FALSE(window->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(window->mask().contains(window->rect().center()));
    const QRect visible = window->screen()->availableGeometry();
    window->move(visible.left() + 100, visible.top() + 100);
    const QPoint start = window->pos();
    for (const QPointF at : {QPointF(10, 10), QPointF(20, -500), QPointF(-1000, 900)}) {
        QMouseEvent event(at == QPointF(10, 10) ? QEvent::MouseButtonPress : QEvent::MouseMove, at,
                          window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window, &event);
        if (at.y() < 0) {
            EXPECT_EQ(window->pos(), QPoint(start.x() + 10, visible.top()));
        }
    }
    EXPECT_EQ(window->pos(), QPoint(start.x() - 1000, visible.top() + 890));
}
