#include "app/cli/CliArguments.h"

#include "tests/support/ErrorMessage.h"

#include <gtest/gtest.h>

namespace {

QStringList Words(const char* Line)
{
    return QString::fromUtf8(Line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TEST(CliArguments, ReadsPositionalsAndOptionsInEitherSpelling)
{
    const TCliArguments arguments =
        TCliArguments::Parse(Words("add vault.fkx --site=example.com --login alice --note -dash --password-stdin"));
    EXPECT_EQ(arguments.Command(), u"add");
    EXPECT_FALSE(arguments.WantsHelp());
    EXPECT_EQ(arguments.Positionals(), QStringList{QStringLiteral("vault.fkx")});
    EXPECT_EQ(arguments.Value(QStringLiteral("site")), QStringLiteral("example.com"));
    EXPECT_EQ(arguments.Value(QStringLiteral("login")), QStringLiteral("alice"));
    // The word after an option that takes a value is its value, even when it starts with a dash.
    EXPECT_EQ(arguments.Value(QStringLiteral("note")), QStringLiteral("-dash"));
    EXPECT_TRUE(arguments.Has(QStringLiteral("password-stdin")));
    EXPECT_FALSE(arguments.Value(QStringLiteral("format")).has_value());
}

TEST(CliArguments, TakesWordsAfterDoubleDashAsArguments)
{
    const TCliArguments arguments = TCliArguments::Parse(Words("find vault.fkx -- --help"));
    EXPECT_FALSE(arguments.WantsHelp());
    EXPECT_EQ(arguments.Positional(1), u"--help");
}

TEST(CliArguments, AsksForHelpOfTheCommandOrTheTool)
{
    const struct
    {
        const char* Line;
        const char* Command;
    } cases[] = {
        {"--help", ""},          {"-h", ""}, {"list --help", "list"}, {"edit vault.fkx --bogus -h", "edit"},
        {"nonsense --help", ""},
    };
    for (const auto& example : cases) {
        const TCliArguments arguments = TCliArguments::Parse(Words(example.Line));
        EXPECT_TRUE(arguments.WantsHelp()) << example.Line;
        EXPECT_EQ(arguments.Command(), QString::fromUtf8(example.Command)) << example.Line;
    }
}

TEST(CliArguments, AsksForTheVersionOnlyWhenItStandsAlone)
{
    const TCliArguments version = TCliArguments::Parse(Words("--version"));
    EXPECT_TRUE(version.WantsVersion());
    EXPECT_TRUE(version.Command().isEmpty());
    EXPECT_FALSE(TCliArguments::Parse(Words("--version --help")).WantsVersion());
    EXPECT_FALSE(TCliArguments::Parse(Words("list a.fkx")).WantsVersion());
}

TEST(CliArguments, RefusesMalformedCommandLines)
{
    const struct
    {
        const char* Line;
        const char* Message;
    } cases[] = {
        {"", "No command given"},
        {"open vault.fkx", "Unknown command \"open\""},
        {"list", "Missing FILE"},
        {"show vault.fkx", "Missing ID"},
        {"list a.fkx b.fkx", "Unexpected argument \"b.fkx\""},
        {"list a.fkx --site x", "Unknown option --site for list"},
        {"list a.fkx -s", "Unknown option -s for list"},
        {"add a.fkx --site x", "Option --login is required"},
        {"add a.fkx --site x --login y --site z", "Option --site given twice"},
        {"add a.fkx --login y --site", "Option --site needs a value"},
        {"list a.fkx --show-passwords=yes", "Option --show-passwords takes no value"},
        {"export a.fkx", "Option --format is required"},
        {"--version list", "Unexpected argument \"list\""},
        {"list a.fkx --version", "Unknown option --version for list"},
    };
    for (const auto& example : cases)
        EXPECT_EQ(MessageOf([&] { TCliArguments::Parse(Words(example.Line)); }), example.Message) << example.Line;
}

TEST(CliArguments, HelpTextsNameEveryCommandAndOption)
{
    const QString tool = ToolHelp();
    for (const char* command :
         {"create", "list", "find", "show", "add", "edit", "remove", "passwd", "export", "import"})
        EXPECT_TRUE(tool.contains(QStringLiteral("\n  %1 ").arg(QLatin1String(command)))) << command;
    const QString add = CommandHelp(QStringLiteral("add"));
    EXPECT_TRUE(
        add.startsWith(u"Usage: fenk-cli add FILE --site TEXT --login TEXT [--note TEXT] [--password-stdin]\n"));
    EXPECT_TRUE(add.contains(u"--site TEXT"));
    EXPECT_EQ(CommandHelp(QStringLiteral("bogus")), tool);
}
