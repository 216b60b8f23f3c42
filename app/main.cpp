#include "FenkVersion.h"
#include "app/FenkMain.h"
#include "foundation/NLog.h"
#include "foundation/NProcess.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NMessageBox.h"

#include <QStringList>

#include <cstdio>
#include <cstring>

int main(int ArgumentCount, char** Arguments)
{
    HardenProcess();
    // Answered before the application object exists, so that it needs no display.
    if (ArgumentCount > 1 && std::strcmp(Arguments[1], "--version") == 0) {
        std::puts(FenkVersionText);
        return 0;
    }
    TNEApplication application(ArgumentCount, Arguments);
    application.SetTitle(QStringLiteral("Fenk"));
    QGuiApplication::setDesktopFileName(QStringLiteral("fenk"));
    TNEMessageBoxPresenter presenter;
    InstallPromptPresenter(&presenter);
    TFenkForm form(application.arguments().mid(1));
    form.show();
    const int result = application.exec();
    InstallPromptPresenter(nullptr);
    return result;
}
