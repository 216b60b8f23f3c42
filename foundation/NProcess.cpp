#include "foundation/NProcess.h"

#include "foundation/NException.h"
#include "foundation/NLog.h"

#include <sys/prctl.h>
#include <sys/resource.h>

void HardenProcess()
{
    const rlimit noCoreFile = {0, 0};
    if (::setrlimit(RLIMIT_CORE, &noCoreFile) != 0)
        WriteLog(mkError, QStringLiteral("Could not switch off core files: ") + ENESystemErr::FromErrno().Message());
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0)
        WriteLog(mkError,
                 QStringLiteral("Could not make the process undumpable: ") + ENESystemErr::FromErrno().Message());
}
