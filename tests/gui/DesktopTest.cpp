#include <QAbstractButton>
#include <QAbstractItemView>
#include <QFileDialog>

#include "WindowFixture.h"

namespace {

// Every text a window and its dialogs show, each under the names of the objects that show it
// ("serverTable/FolderOrFile/header"). Texts without a letter, paths and URLs are data, not words.
QMap<QString, QString> shownTexts(QWidget* window)
{
    QMap<QString, QString> texts;
    const auto add = [&](const QObject* object, const QString& what, const QString& text) {
        if (!text.contains(QRegularExpression("\\p{L}")) || text.startsWith(QLatin1Char('/')) ||
            text.contains(QLatin1String("://")))
            return;
        QString name;
        for (const QObject* o = object; o && o != window; o = o->parent())
            name.prepend((o->objectName().isEmpty()
                              ? QString::fromLatin1(o->metaObject()->className())
                              : o->objectName()) +
                         QLatin1Char('/'));
        QString key = name + what;
        while (texts.contains(key))
            key += QLatin1Char('+');
        texts.insert(key, text);
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        add(widget, "toolTip", widget->toolTip());
        add(widget, "windowTitle", widget->windowTitle());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            add(widget, "text", button->text());
        if (auto* label = qobject_cast<QLabel*>(widget))
            add(widget, "text", label->text());
        if (auto* field = qobject_cast<QLineEdit*>(widget))
            add(widget, "placeholder", field->placeholderText());
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                add(widget, "item", combo->itemText(i));
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs->widget(i), "tab", tabs->tabText(i));
        if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model())
            for (int i = 0; i < view->model()->columnCount(); ++i)
                add(widget, "header", view->model()->headerData(i, Qt::Horizontal).toString());
    }
    for (const QAction* action : window->findChildren<QAction*>()) {
        add(action, "text", action->text());
        add(action, "toolTip", action->toolTip());
    }
    return texts;
}

} // namespace

using Desktop = WindowFixture;

TEST_F(Desktop, TheGermanAndTheFrenchWindowShowNoEnglishText)
{
    startServer();
    // The window's texts idle and connected, and a file dialog's, in one language.
    const auto walk = [this](QLocale::Language language) {
        TandrelApp::loadTranslations(*qApp, QLocale(language));
        app.reset();
        startApp();
        QMap<QString, QString> texts = shownTexts(app->window());
        connectAndList();
        texts.insert(shownTexts(app->window()));
        QFileDialog dialog(nullptr, QString(), root());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        texts.insert(shownTexts(&dialog));
        return texts;
    };
    const auto english =
        qScopeGuard([] { TandrelApp::loadTranslations(*qApp, QLocale(QLocale::English)); });
    const QMap<QString, QString> englishTexts = walk(QLocale::English);

    // The same in English, and the listing's fixed status texts.
    const QStringList alike = {"Tandrel", "Server",         "Proxy", "Port", "Name",      "Filter",
                               "Type",    "List succeeded", "Site",  "FTP",  "SFTP (SSH)"};
    for (const QLocale::Language language : {QLocale::German, QLocale::French}) {
        const QMap<QString, QString> texts = walk(language);
        QStringList untranslated;
        for (auto shown = texts.begin(); shown != texts.end(); ++shown)
            // The site chooser shows the user's own names, which are data, not texts.
            if (englishTexts.value(shown.key()) == shown.value() &&
                !alike.contains(shown.value()) &&
                !shown.key().contains(QLatin1String("siteChooser")))
                untranslated << shown.key() + ": " + shown.value();
        EXPECT_TRUE(untranslated.isEmpty())
            << QLocale::languageToString(language).toStdString() << ":\n"
            << untranslated.join('\n').toStdString();
        EXPECT_GT(texts.size(), 60);
        // A text the table lacks is English, never its id.
        EXPECT_EQ(qtTrId("StatusStreamOpenError"), "Stream open error");
    }
}

TEST_F(Desktop, TheKeyboardConnectsReachesTheListingAndDisconnects)
{
    startServer();
    startApp();
    activate();
    c->hostField->setText(server->urlHost());
    c->portField->setText(QString::number(server->port()));
    c->anonymousCheckBox->click();
    c->hostField->setFocus();
    QTest::keyClick(c->hostField, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(waitForListing());
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(c->serverTable));

    // Tab leads out of the table to the toolbar's Disconnect; Space presses it.
    QWidget* disconnect = c->toolbar->widgetForAction(c->disconnectItem);
    for (int i = 0; i < 40 && QApplication::focusWidget() != disconnect; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), disconnect);
    QTest::keyClick(disconnect, Qt::Key_Space);
    EXPECT_FALSE(c->remote->isConnected());
    EXPECT_TRUE(c->connectItem->isEnabled());
}

TEST_F(Desktop, TheWindowComesBackAsItWasLeftAndNeverOffScreen)
{
    startApp();
    const QRect area = c->window->screen()->availableGeometry();
    const QPoint inside =
        area.topLeft() + QPoint(std::min(20, area.width() - c->window->width()),
                                std::min(10, area.height() - c->window->height()));
    c->window->move(inside);
    c->tabView->setCurrentWidget(c->queueTabViewItem);
    QHeaderView* header = c->serverTable->horizontalHeader();
    header->resizeSection(1, 222);
    header->setSortIndicator(2, Qt::DescendingOrder);
    restartApp();
    EXPECT_EQ(c->window->pos(), inside);
    EXPECT_EQ(c->tabView->currentWidget(), c->queueTabViewItem);
    header = c->serverTable->horizontalHeader();
    EXPECT_EQ(QList({header->sectionSize(1), header->sortIndicatorSection(),
                     int(header->sortIndicatorOrder())}),
              QList({222, 2, int(Qt::DescendingOrder)}));

    // Left beyond the screen's corner, or on a screen that is gone: brought inside.
    for (const QString& screen : {c->window->screen()->name(), QString("gone")}) {
        c->window->move(area.bottomRight() + QPoint(500, 400));
        app.reset();
        store().setObject(screen, Setting::WindowScreen);
        startApp();
        EXPECT_TRUE(area.contains(c->window->geometry().topLeft())) << screen.toStdString();
        EXPECT_EQ(c->window->x() + c->window->width(), area.right() + 1);
    }
}
