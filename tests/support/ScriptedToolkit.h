#pragma once

#include <QList>

#include "platform/toolkit/Toolkit.h"

// Answers alerts and open panels from a queue instead of a person, and records what was
// shown. An alert or panel with no queued answer fails the test. Installed while it lives.
class ScriptedToolkit final : public Toolkit
{
public:
    ScriptedToolkit();
    ~ScriptedToolkit() override;

    void answerAlert(int code, const QString& text = {}) { alertAnswers.append({code, text}); }
    void answerOpenPanel(int code, const QString& path = {})
    {
        panelAnswers.append({code, path, {}});
    }
    // Several files chosen at once.
    void answerOpenPanel(int code, const QStringList& paths)
    {
        panelAnswers.append({code, paths.value(0), paths});
    }
    void answerSecurityAlert(int code) { securityAnswers.append(code); }

    AlertAnswer runModalAlert(const Alert& alert) override;
    OpenPanelAnswer runModalOpenPanel(const OpenPanel& panel) override;
    void beginSheet(QDialog* sheet, QWidget* window) override;
    void endSheet(QDialog* sheet) override;
    int runModalSecurityAlert(const SecurityAlert& alert) override;

    QList<Alert> alertsShown;
    QList<OpenPanel> panelsShown;
    QList<SecurityAlert> securityAlertsShown;
    QDialog* sheetShown = nullptr;

    Q_DISABLE_COPY_MOVE(ScriptedToolkit)

private:
    QList<AlertAnswer> alertAnswers;
    QList<OpenPanelAnswer> panelAnswers;
    QList<int> securityAnswers;
};
