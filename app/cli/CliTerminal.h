#pragma once

#include "app/cli/CliArguments.h"
#include "foundation/NException.h"

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

// The user gave no password where one was needed, or typed an empty master password.
NE_DECLARE_ERROR(ECliCancelErr, ENEException, "Cancelled");
// Standard input is no terminal and the passwords were not promised on it.
NE_DECLARE_ERROR(ECliNoTerminalErr, ECliUsageErr,
                 "No terminal to ask for passwords: use --password-stdin to read them from standard input");
NE_DECLARE_ERROR(ECliPasswordMismatchErr, ENEException, "Passwords are not identical");

// A password as text that zeros its characters when it goes away.
class TCliSecret
{
public:
    TCliSecret() = default;
    explicit TCliSecret(QString Text) : Text_(std::move(Text)) {}
    ~TCliSecret();
    TCliSecret(TCliSecret&& Other) noexcept : Text_(std::move(Other.Text_)) {}
    TCliSecret& operator=(TCliSecret&& Other) noexcept;
    TCliSecret(const TCliSecret&) = delete;
    TCliSecret& operator=(const TCliSecret&) = delete;

    const QString& Text() const { return Text_; }
    bool IsEmpty() const { return Text_.isEmpty(); }
    // Hands the text over whole; the receiver must zero it.
    QString Take() { return std::exchange(Text_, QString()); }

private:
    QString Text_;
};

// Reads one line from a file descriptor one byte at a time, so nothing after the line stays buffered in memory.
// Only the line end (LF, and a CR right before it) is removed; the bytes are read as UTF-8. Nothing when the input
// ends before any byte.
std::optional<TCliSecret> ReadSecretLine(int FileDescriptor);

// Where the passwords of a run come from: the terminal without echo, or the lines of standard input.
class TCliPasswordSource
{
public:
    virtual ~TCliPasswordSource() = default;
    // The next password; ECliCancelErr when the input ends instead.
    virtual TCliSecret Read(const QString& Prompt) = 0;
};

// The source a run uses: standard input's lines when promised, else the terminal. Without a terminal and without
// the promise raises ECliNoTerminalErr before anything else happens.
std::unique_ptr<TCliPasswordSource> MakePasswordSource(bool PasswordsOnStdin);

// Writes all of Bytes to a file descriptor without a buffer of its own, so printed secrets leave no copies.
void WriteAll(int FileDescriptor, QByteArrayView Bytes);
// Prints a text to standard output or standard error as UTF-8.
void PrintOut(const QString& Text);
void PrintError(const QString& Text);

// The master password of FileName; a new one is asked twice and both must be identical. An empty one is a cancel.
TCliSecret AskMasterPassword(TCliPasswordSource& Source, const QString& FileName, bool IsNew);
// The password of a login; may be empty.
TCliSecret AskLoginPassword(TCliPasswordSource& Source);
