#include "foundation/NSecureBuffer.h"

#include <string.h>

void BurnMemory(void* Memory, std::size_t Length)
{
    if (Length > 0)
        explicit_bzero(Memory, Length);
}

qint64 TNESecureBytesDevice::writeData(const char* Data, qint64 Length)
{
    Bytes_.Reserve(pos() + Length);
    return QBuffer::writeData(Data, Length);
}
