#include "foundation/NException.h"

#include <cerrno>
#include <cstring>

ENEException::ENEException(QString Message) : Message_(std::move(Message)), What_(Message_.toUtf8())
{
}

ENESystemErr ENESystemErr::FromErrno()
{
    return ENESystemErr(QString::fromLocal8Bit(std::strerror(errno)));
}
