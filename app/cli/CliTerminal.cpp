#include "app/cli/CliTerminal.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>

namespace {

// The terminal settings before echo was switched off, for the signal handler.
termios SavedTerminal;
volatile std::sig_atomic_t HasSavedTerminal = 0;

constexpr std::array<int, 4> RestoringSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RestoreTerminalAndDie(int Signal)
{
    if (HasSavedTerminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
    ::signal(Signal, SIG_DFL);
    ::raise(Signal);
}

// Switches the terminal's echo off for its lifetime; echo comes back on every exit, also when the user interrupts.
class TEchoOff
{
public:
    TEchoOff()
    {
        if (::tcgetattr(STDIN_FILENO, &SavedTerminal) != 0)
            throw ENESystemErr::FromErrno();
        HasSavedTerminal = 1;
        struct sigaction restore = {};
        restore.sa_handler = RestoreTerminalAndDie;
        for (std::size_t index = 0; index < RestoringSignals.size(); ++index)
            ::sigaction(RestoringSignals[index], &restore, &PreviousActions_[index]);
        termios silent = SavedTerminal;
        // The Enter key still moves to the next line.
        silent.c_lflag &= ~tcflag_t(ECHO);
        silent.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    ~TEchoOff()
    {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
        HasSavedTerminal = 0;
        for (std::size_t index = 0; index < RestoringSignals.size(); ++index)
            ::sigaction(RestoringSignals[index], &PreviousActions_[index], nullptr);
    }
    TEchoOff(const TEchoOff&) = delete;
    TEchoOff& operator=(const TEchoOff&) = delete;

private:
    std::array<struct sigaction, RestoringSignals.size()> PreviousActions_{};
};

class TTerminalPasswords : public TCliPasswordSource
{
public:
    TTerminalPasswords()
    {
        if (!::isatty(STDIN_FILENO))
            throw ECliNoTerminalErr();
    }

    TNESecureText Read(const QString& Prompt) override
    {
        // Echo goes off before the prompt shows, so nothing typed in answer to it can appear.
        TEchoOff echoOff;
        PrintError(Prompt);
        std::optional<TNESecureText> line = ReadSecretLine(STDIN_FILENO);
        if (!line)
            throw ECliCancelErr();
        return std::move(*line);
    }
};

class TStdinPasswords : public TCliPasswordSource
{
public:
    TNESecureText Read(const QString&) override
    {
        std::optional<TNESecureText> line = ReadSecretLine(STDIN_FILENO);
        if (!line)
            throw ECliCancelErr(QStringLiteral("Standard input ended before every password was read"));
        return std::move(*line);
    }
};

} // namespace

std::optional<TNESecureText> ReadSecretLine(int FileDescriptor)
{
    TNESecureBytes line;
    line.Reserve(256);
    bool isLineEnded = false;
    char byte = 0;
    for (;;) {
        const ssize_t count = ::read(FileDescriptor, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw ENESystemErr::FromErrno();
        if (count == 0)
            break;
        if (byte == '\n') {
            isLineEnded = true;
            break;
        }
        line.Append(QByteArrayView(&byte, 1));
    }
    byte = 0;
    if (!isLineEnded && line.Bytes().isEmpty())
        return std::nullopt;
    if (isLineEnded && line.Bytes().endsWith('\r'))
        line.Bytes().chop(1);
    return TNESecureText(QString::fromUtf8(line.Bytes()));
}

void WriteAll(int FileDescriptor, QByteArrayView Bytes)
{
    qsizetype written = 0;
    while (written < Bytes.size()) {
        const ssize_t count = ::write(FileDescriptor, Bytes.data() + written, std::size_t(Bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw ENESystemErr::FromErrno();
        written += count;
    }
}

void PrintOut(const QString& Text)
{
    const TNESecureBytes bytes(Text.toUtf8());
    WriteAll(STDOUT_FILENO, bytes.Bytes());
}

void PrintSecretOut(QString Text)
{
    const TNESecureText secret(std::move(Text));
    PrintOut(secret.Text());
}

void PrintError(const QString& Text)
{
    WriteAll(STDERR_FILENO, Text.toUtf8());
}

std::unique_ptr<TCliPasswordSource> MakePasswordSource(bool PasswordsOnStdin)
{
    if (PasswordsOnStdin)
        return std::make_unique<TStdinPasswords>();
    return std::make_unique<TTerminalPasswords>();
}

TNESecureText AskMasterPassword(TCliPasswordSource& Source, const QString& FileName, bool IsNew)
{
    if (!IsNew) {
        TNESecureText password = Source.Read(QStringLiteral("Master password of %1: ").arg(FileName));
        if (password.IsEmpty())
            throw ECliCancelErr();
        return password;
    }
    TNESecureText password = Source.Read(QStringLiteral("New master password of %1: ").arg(FileName));
    TNESecureText repeated = Source.Read(QStringLiteral("Repeat the new master password: "));
    if (password.Text() != repeated.Text())
        throw ECliPasswordMismatchErr();
    if (password.IsEmpty())
        throw ECliCancelErr();
    return password;
}

TNESecureText AskLoginPassword(TCliPasswordSource& Source)
{
    return Source.Read(QStringLiteral("Password of the login: "));
}
