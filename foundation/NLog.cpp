#include "foundation/NLog.h"

namespace {

// Shows nothing; questions fall back to their default answer. In force until a presenter is installed.
class TNESilentPresenter final : public TNEPromptPresenter
{
public:
    void ShowMessage(TNEMessageKind, const QString&) override {}
    bool AskYesNo(const QString&, bool Default) override { return Default; }
    void ShowTitledMessage(const QString&, const QString&) override {}
};

TNESilentPresenter SilentPresenter;
TNEPromptPresenter* InstalledPresenter = &SilentPresenter;

} // namespace

TNEPromptPresenter* InstallPromptPresenter(TNEPromptPresenter* Presenter)
{
    TNEPromptPresenter* previous = InstalledPresenter;
    InstalledPresenter = Presenter ? Presenter : &SilentPresenter;
    return previous;
}

TNEPromptPresenter& PromptPresenter()
{
    return *InstalledPresenter;
}
