#include "app/cli/CliExchange.h"
#include "foundation/NException.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a file to import, read as CSV and as JSON. Reading may raise the system's own errors only; a
// login read must carry what a login may hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(Data), qsizetype(Size));
    for (TCliExchangeFormat format : {TCliExchangeFormat::Csv, TCliExchangeFormat::Json}) {
        try {
            const std::vector<TCliLogin> logins = ImportLogins(bytes, format);
            // What was read exports again.
            ExportLogins(logins, format);
        } catch (const ENEException&) {
        }
    }
    return 0;
}
