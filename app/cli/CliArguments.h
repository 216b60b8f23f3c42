#pragma once

#include "foundation/NException.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// A mistake on the command line: the tool prints the message and the command's usage and exits with status 2.
NE_DECLARE_ERROR(ECliUsageErr, ENEException, "Invalid command line");

// The command line of one run, checked against the command's table of arguments and options.
class TCliArguments
{
public:
    // Reads the arguments after the program name. Raises ECliUsageErr for an unknown command or option, a missing
    // or surplus argument, an option without its value, an option given twice or a required option left out.
    // "--help" or "-h" anywhere asks for help and skips the other checks; "--version" alone asks for the version.
    static TCliArguments Parse(const QStringList& Arguments);

    // The command's name; empty when only the tool's help was asked for.
    const QString& Command() const { return Command_; }
    bool WantsHelp() const { return WantsHelp_; }
    bool WantsVersion() const { return WantsVersion_; }
    // The positional arguments in order (FILE first for every command).
    const QStringList& Positionals() const { return Positionals_; }
    const QString& Positional(int Index) const { return Positionals_.at(Index); }
    // Whether an option (without its "--") was given.
    bool Has(const QString& Option) const { return Options_.contains(Option); }
    // The value of an option that takes one, or nothing when the option was not given.
    std::optional<QString> Value(const QString& Option) const;

private:
    QString Command_;
    bool WantsHelp_ = false;
    bool WantsVersion_ = false;
    QStringList Positionals_;
    QHash<QString, QString> Options_;
};

bool IsCommand(const QString& Name);
// The tool's usage: every command with a line on what it does.
QString ToolHelp();
// A command's usage, arguments and options; the tool's usage for an unknown or empty command.
QString CommandHelp(const QString& Command);
