#pragma once

#include <QString>

#include <sys/types.h>

// A second process that holds a flock on a file (LOCK_SH or LOCK_EX) from construction until destruction.
class TLockHolder
{
public:
    TLockHolder(const QString& FileName, int LockOperation);
    ~TLockHolder();
    TLockHolder(const TLockHolder&) = delete;
    TLockHolder& operator=(const TLockHolder&) = delete;

private:
    pid_t Child_ = -1;
    int ReleasePipe_ = -1;
};
