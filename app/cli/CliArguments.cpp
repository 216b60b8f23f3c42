#include "app/cli/CliArguments.h"

#include <QStringView>

#include <algorithm>
#include <span>

namespace {

struct TOptionSpec
{
    QStringView Name;
    // The placeholder of the option's value; empty for a flag.
    QStringView ValueName;
    QStringView Help;
    bool IsRequired = false;
};

struct TCommandSpec
{
    QStringView Name;
    std::span<const QStringView> Arguments;
    std::span<const TOptionSpec> Options;
    QStringView Summary;
};

// Every command opens or writes a vault, so every command can take its passwords from standard input.
constexpr TOptionSpec PasswordStdin{u"password-stdin", u"",
                                    u"Read each password as one line of standard input instead of the terminal"};

constexpr QStringView FileOnly[] = {u"FILE"};
constexpr QStringView FileAndText[] = {u"FILE", u"TEXT"};
constexpr QStringView FileAndId[] = {u"FILE", u"ID"};
constexpr QStringView FileAndInput[] = {u"FILE", u"INPUT"};

constexpr TOptionSpec NoOptions[] = {PasswordStdin};
constexpr TOptionSpec ListOptions[] = {{u"show-passwords", u"", u"Show the passwords instead of masking them"},
                                       PasswordStdin};
constexpr TOptionSpec AddOptions[] = {{u"site", u"TEXT", u"The site name", true},
                                      {u"login", u"TEXT", u"The login name", true},
                                      {u"note", u"TEXT", u"A note"},
                                      PasswordStdin};
constexpr TOptionSpec EditOptions[] = {{u"site", u"TEXT", u"A new site name"},
                                       {u"login", u"TEXT", u"A new login name"},
                                       {u"note", u"TEXT", u"A new note"},
                                       {u"password", u"", u"Ask for a new password of the login"},
                                       PasswordStdin};
constexpr TOptionSpec ExportOptions[] = {{u"format", u"csv|json", u"The layout printed", true},
                                         {u"quiet", u"", u"Do not warn that plain-text passwords are printed"},
                                         PasswordStdin};
constexpr TOptionSpec ImportOptions[] = {{u"format", u"csv|json", u"The layout of INPUT (csv when not given)"},
                                         PasswordStdin};

constexpr TCommandSpec Commands[] = {
    {u"create", FileOnly, NoOptions, u"Create a new empty vault under a new master password"},
    {u"list", FileOnly, ListOptions, u"List the logins sorted by site name, passwords masked"},
    {u"find", FileAndText, ListOptions, u"List the logins whose site, login name or note contain TEXT"},
    {u"show", FileAndId, NoOptions, u"Show one login in full, password included"},
    {u"add", FileOnly, AddOptions, u"Add a login; its password is asked for"},
    {u"edit", FileAndId, EditOptions, u"Change the given fields of a login"},
    {u"remove", FileAndId, NoOptions, u"Remove a login"},
    {u"passwd", FileOnly, NoOptions, u"Change the master password"},
    {u"export", FileOnly, ExportOptions, u"Print every login, passwords in plain text"},
    {u"import", FileAndInput, ImportOptions,
     u"Add the logins of an exported file as new logins (CSV needs its header line)"},
};

const TCommandSpec* FindCommand(QStringView Name)
{
    const auto found = std::ranges::find(Commands, Name, &TCommandSpec::Name);
    return found == std::end(Commands) ? nullptr : &*found;
}

const TOptionSpec* FindOption(const TCommandSpec& Command, QStringView Name)
{
    const auto found = std::ranges::find(Command.Options, Name, &TOptionSpec::Name);
    return found == Command.Options.end() ? nullptr : &*found;
}

bool IsHelp(QStringView Argument)
{
    return Argument == u"--help" || Argument == u"-h";
}

QString Padded(QString Text, qsizetype Width)
{
    return Text.leftJustified(Width);
}

QString OptionSyntax(const TOptionSpec& Option)
{
    QString syntax = QStringLiteral("--") + Option.Name.toString();
    if (!Option.ValueName.isEmpty())
        syntax += QLatin1Char(' ') + Option.ValueName.toString();
    return syntax;
}

QString UsageLine(const TCommandSpec& Command)
{
    QString line = QStringLiteral("Usage: fenk-cli ") + Command.Name.toString();
    for (QStringView argument : Command.Arguments)
        line += QLatin1Char(' ') + argument.toString();
    for (const TOptionSpec& option : Command.Options)
        line += option.IsRequired ? QLatin1Char(' ') + OptionSyntax(option)
                                  : QStringLiteral(" [") + OptionSyntax(option) + QLatin1Char(']');
    return line + QLatin1Char('\n');
}

} // namespace

TCliArguments TCliArguments::Parse(const QStringList& Arguments)
{
    TCliArguments result;
    if (Arguments.isEmpty())
        throw ECliUsageErr(QStringLiteral("No command given"));
    const auto optionsEnd = std::ranges::find(Arguments, QStringLiteral("--"));
    if (std::any_of(Arguments.begin(), optionsEnd, IsHelp)) {
        result.WantsHelp_ = true;
        if (FindCommand(Arguments.first()))
            result.Command_ = Arguments.first();
        return result;
    }
    if (Arguments.first() == u"--version") {
        if (Arguments.size() > 1)
            throw ECliUsageErr(QStringLiteral("Unexpected argument \"%1\"").arg(Arguments[1]));
        result.WantsVersion_ = true;
        return result;
    }
    const TCommandSpec* command = FindCommand(Arguments.first());
    if (!command)
        throw ECliUsageErr(QStringLiteral("Unknown command \"%1\"").arg(Arguments.first()));
    result.Command_ = Arguments.first();

    bool optionsEnded = false;
    for (qsizetype index = 1; index < Arguments.size(); ++index) {
        const QString& argument = Arguments[index];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == u"-") {
            result.Positionals_ += argument;
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        const TOptionSpec* option = argument.startsWith(u"--") ? FindOption(*command, name) : nullptr;
        if (!option)
            throw ECliUsageErr(QStringLiteral("Unknown option %1 for %2").arg(argument, result.Command_));
        if (result.Options_.contains(name))
            throw ECliUsageErr(QStringLiteral("Option --%1 given twice").arg(name));
        QString value;
        if (option->ValueName.isEmpty()) {
            if (equals >= 0)
                throw ECliUsageErr(QStringLiteral("Option --%1 takes no value").arg(name));
        } else if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (index + 1 < Arguments.size()) {
            value = Arguments[++index];
        } else {
            throw ECliUsageErr(QStringLiteral("Option --%1 needs a value").arg(name));
        }
        result.Options_.insert(name, value);
    }

    const qsizetype expected = qsizetype(command->Arguments.size());
    if (result.Positionals_.size() < expected)
        throw ECliUsageErr(QStringLiteral("Missing %1").arg(command->Arguments[result.Positionals_.size()]));
    if (result.Positionals_.size() > expected)
        throw ECliUsageErr(QStringLiteral("Unexpected argument \"%1\"").arg(result.Positionals_[expected]));
    for (const TOptionSpec& option : command->Options)
        if (option.IsRequired && !result.Has(option.Name.toString()))
            throw ECliUsageErr(QStringLiteral("Option --%1 is required").arg(option.Name));
    return result;
}

std::optional<QString> TCliArguments::Value(const QString& Option) const
{
    const auto found = Options_.constFind(Option);
    if (found == Options_.constEnd())
        return std::nullopt;
    return *found;
}

bool IsCommand(const QString& Name)
{
    return FindCommand(Name) != nullptr;
}

QString ToolHelp()
{
    QString help = QStringLiteral("Usage: fenk-cli COMMAND [ARGUMENTS] [OPTIONS]\n"
                                  "       fenk-cli --version\n\n"
                                  "Keeps the logins of a Fenk vault file from the command line.\n\n"
                                  "Commands:\n");
    for (const TCommandSpec& command : Commands)
        help +=
            QStringLiteral("  ") + Padded(command.Name.toString(), 8) + command.Summary.toString() + QLatin1Char('\n');
    help += QStringLiteral("\nRun \"fenk-cli COMMAND --help\" for the arguments and options of a command.\n"
                           "Exit status: 0 on success, 1 on a failure or a cancel, 2 on a usage error.\n");
    return help;
}

QString CommandHelp(const QString& Command)
{
    const TCommandSpec* command = FindCommand(Command);
    if (!command)
        return ToolHelp();
    QString help =
        UsageLine(*command) + QLatin1Char('\n') + command->Summary.toString() + QStringLiteral(".\n\nOptions:\n");
    qsizetype width = 0;
    for (const TOptionSpec& option : command->Options)
        width = std::max(width, OptionSyntax(option).size());
    for (const TOptionSpec& option : command->Options)
        help += QStringLiteral("  ") + Padded(OptionSyntax(option), width + 2) + option.Help.toString() +
                (option.IsRequired ? QStringLiteral(" (required)\n") : QStringLiteral("\n"));
    return help;
}
