#include "app/cli/CliArguments.h"
#include "foundation/NException.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// Arbitrary bytes as a command line, the arguments separated by zero bytes as the system hands them over. Parsing
// may raise ECliUsageErr only; a command line it accepts answers every question about it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const QStringList arguments =
        QString::fromLocal8Bit(reinterpret_cast<const char*>(Data), qsizetype(Size)).split(QChar(u'\0'));
    try {
        const TCliArguments parsed = TCliArguments::Parse(arguments);
        CommandHelp(parsed.Command());
        for (const QString& option : {QStringLiteral("site"), QStringLiteral("login"), QStringLiteral("note"),
                                      QStringLiteral("format"), QStringLiteral("password-stdin")})
            if (parsed.Has(option))
                parsed.Value(option);
        for (int index = 0; index < parsed.Positionals().size(); ++index)
            parsed.Positional(index);
    } catch (const ECliUsageErr&) {
    }
    return 0;
}
