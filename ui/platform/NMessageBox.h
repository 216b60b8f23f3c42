#pragma once

#include "foundation/NLog.h"

// The prompt presenter of the running program: every message box and question of the program is made here, as a
// modal QMessageBox over the active window, kept above windows that stay on top.
class TNEMessageBoxPresenter final : public TNEPromptPresenter
{
public:
    void ShowMessage(TNEMessageKind Kind, const QString& Text) override;
    bool AskYesNo(const QString& Text, bool Default) override;
    void ShowTitledMessage(const QString& Title, const QString& Text) override;
};
