#include "tests/support/LockHolder.h"

#include <QFile>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

TLockHolder::TLockHolder(const QString& FileName, int LockOperation)
{
    const QByteArray path = QFile::encodeName(FileName);
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) {
        ADD_FAILURE() << "pipe failed";
        return;
    }
    Child_ = ::fork();
    if (Child_ == 0) {
        // Only async-signal-safe calls between fork and _exit.
        ::close(ready[0]);
        ::close(release[1]);
        const int file = ::open(path.constData(), O_RDONLY);
        const char status = (file >= 0 && ::flock(file, LockOperation) == 0) ? 'L' : 'E';
        (void)!::write(ready[1], &status, 1);
        char ignored;
        (void)!::read(release[0], &ignored, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    ReleasePipe_ = release[1];
    char status = 0;
    if (::read(ready[0], &status, 1) != 1 || status != 'L')
        ADD_FAILURE() << "the second process could not lock " << path.constData();
    ::close(ready[0]);
}

TLockHolder::~TLockHolder()
{
    if (ReleasePipe_ >= 0)
        ::close(ReleasePipe_);
    if (Child_ > 0)
        ::waitpid(Child_, nullptr, 0);
}
