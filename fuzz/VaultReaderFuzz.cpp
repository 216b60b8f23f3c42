#include "app/FenkFormat.h"
#include "foundation/NException.h"
#include "store/NRowset.h"
#include "store/NStoreStreamer.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a vault file: split into header and payload, deciphered with a fixed password, and the plain
// payload read into a fresh store, as opening a vault does. Each step may raise the system's own errors only.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    try {
        TFenkFileContent content = ReadVaultBytes(QByteArray(reinterpret_cast<const char*>(Data), qsizetype(Size)));
        QString password = QStringLiteral("fenk-public");
        TNECrypt crypt;
        DecipherPayload(content, password, crypt);
        QBuffer buffer(&content.Payload.Bytes());
        buffer.open(QIODevice::ReadOnly);
        TNEStore store;
        TNEStoreStreamer().ReadStore(store, buffer);
    } catch (const ENEException&) {
    }
    return 0;
}
