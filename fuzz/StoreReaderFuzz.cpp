#include "foundation/NException.h"
#include "store/NRowset.h"
#include "store/NStoreStreamer.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a store's document, read into a fresh store. Reading may raise the store's own errors; anything
// else, a crash or a read outside the bytes (shared with the parser, not copied) is a finding.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(Data), qsizetype(Size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TNEStore store;
    try {
        TNEStoreStreamer().ReadStore(store, buffer);
    } catch (const ENEException&) {
    }
    return 0;
}
