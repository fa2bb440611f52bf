#pragma once

#include "platform/toolkit/Toolkit.h"

// Toolkit on Qt's own dialogs: QMessageBox, QInputDialog, QFileDialog and a window-modal QDialog.
class QtToolkit final : public Toolkit
{
public:
    QtToolkit() = default;
    AlertAnswer runModalAlert(const Alert& alert) override;
    OpenPanelAnswer runModalOpenPanel(const OpenPanel& panel) override;
    void beginSheet(QDialog* sheet, QWidget* window) override;
    void endSheet(QDialog* sheet) override;
    int runModalSecurityAlert(const SecurityAlert& alert) override;

    Q_DISABLE_COPY_MOVE(QtToolkit)
};
