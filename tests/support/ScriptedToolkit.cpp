#include "ScriptedToolkit.h"

#include <QDialog>

#include <gtest/gtest.h>

ScriptedToolkit::ScriptedToolkit()
{
    Toolkit::setShared(this);
}

ScriptedToolkit::~ScriptedToolkit()
{
    Toolkit::setShared(nullptr);
    EXPECT_TRUE(alertAnswers.isEmpty()) << alertAnswers.size() << " alert answer(s) unused";
    EXPECT_TRUE(panelAnswers.isEmpty()) << panelAnswers.size() << " open panel answer(s) unused";
    EXPECT_TRUE(securityAnswers.isEmpty())
        << securityAnswers.size() << " security answer(s) unused";
}

Toolkit::AlertAnswer ScriptedToolkit::runModalAlert(const Alert& alert)
{
    alertsShown.append(alert);
    if (alertAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected alert: " << alert.messageText.toStdString();
        return {};
    }
    return alertAnswers.takeFirst();
}

Toolkit::OpenPanelAnswer ScriptedToolkit::runModalOpenPanel(const OpenPanel& panel)
{
    panelsShown.append(panel);
    if (panelAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected open panel";
        return {};
    }
    return panelAnswers.takeFirst();
}

void ScriptedToolkit::beginSheet(QDialog* sheet, QWidget* /*window*/)
{
    sheetShown = sheet;
    sheet->show();
}

void ScriptedToolkit::endSheet(QDialog* sheet)
{
    sheet->hide();
    if (sheetShown == sheet)
        sheetShown = nullptr;
}

int ScriptedToolkit::runModalSecurityAlert(const SecurityAlert& alert)
{
    securityAlertsShown.append(alert);
    if (securityAnswers.isEmpty()) {
        ADD_FAILURE() << "unexpected security alert: " << alert.problem.toStdString();
        return kAlternateReturn;
    }
    return securityAnswers.takeFirst();
}
