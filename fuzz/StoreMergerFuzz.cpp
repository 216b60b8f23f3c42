#include "app/FenkDocument.h"
#include "foundation/NException.h"
#include "store/NRowset.h"
#include "store/NStoreMerger.h"
#include "store/NStoreStreamer.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a store's document, read into a fresh store and merged, as opening a vault does, into the
// document's schema of logins and into an empty store. Each step may raise the system's own errors only.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(Data), qsizetype(Size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TNEStore source;
    try {
        TNEStoreStreamer().ReadStore(source, buffer);
    } catch (const ENEException&) {
        return 0;
    }
    TFenkDocument document{TFenkPasswordPrompt()};
    TNEStore empty;
    for (TNEStore* target : {&document.Store(), &empty}) {
        try {
            TNEStoreMerger().Merge(source, *target);
        } catch (const ENEException&) {
        }
    }
    return 0;
}
