#pragma once

#include <QStringList>

// Exit statuses of the tool.
enum TCliExitStatus : int
{
    esSuccess = 0,
    esFailure = 1, // a failure or a cancel
    esUsage = 2,   // the command line was wrong, or no terminal to ask for passwords
};

// Runs the command of a command line (the arguments after the program name) on a vault file: results go to
// standard output, messages and password prompts to standard error. Every change is saved at once; a failed
// command leaves the file as it was.
int RunCli(const QStringList& Arguments);
