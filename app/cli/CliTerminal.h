#pragma once

#include "app/cli/CliArguments.h"
#include "foundation/NException.h"
#include "foundation/NSecureBuffer.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

// The user gave no password where one was needed, or typed an empty master password.
NE_DECLARE_ERROR(ECliCancelErr, ENEException, "Cancelled");
// Standard input is no terminal and the passwords were not promised on it.
NE_DECLARE_ERROR(ECliNoTerminalErr, ECliUsageErr,
                 "No terminal to ask for passwords: use --password-stdin to read them from standard input");
NE_DECLARE_ERROR(ECliPasswordMismatchErr, ENEException, "Passwords are not identical");

// Reads one line from a file descriptor one byte at a time, so nothing after the line stays buffered in memory.
// Only the line end (LF, and a CR right before it) is removed; the bytes are read as UTF-8. Nothing when the input
// ends before any byte.
std::optional<TNESecureText> ReadSecretLine(int FileDescriptor);

// Where the passwords of a run come from: the terminal without echo, or the lines of standard input.
class TCliPasswordSource
{
public:
    virtual ~TCliPasswordSource() = default;
    // The next password; ECliCancelErr when the input ends instead.
    virtual TNESecureText Read(const QString& Prompt) = 0;
};

// The source a run uses: standard input's lines when promised, else the terminal. Without a terminal and without
// the promise raises ECliNoTerminalErr before anything else happens.
std::unique_ptr<TCliPasswordSource> MakePasswordSource(bool PasswordsOnStdin);

// Writes all of Bytes to a file descriptor without a buffer of its own, so printed secrets leave no copies.
void WriteAll(int FileDescriptor, QByteArrayView Bytes);
// Prints a text to standard output or standard error as UTF-8.
void PrintOut(const QString& Text);
void PrintError(const QString& Text);
// Prints a text that may hold secrets to standard output and zeroes it.
void PrintSecretOut(QString Text);

// The master password of FileName; a new one is asked twice and both must be identical. An empty one is a cancel.
TNESecureText AskMasterPassword(TCliPasswordSource& Source, const QString& FileName, bool IsNew);
// The password of a login; may be empty.
TNESecureText AskLoginPassword(TCliPasswordSource& Source);
