#include "app/cli/CliCommands.h"
#include "foundation/NProcess.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    HardenProcess();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fenk-cli"));
    return RunCli(QCoreApplication::arguments().mid(1));
}
