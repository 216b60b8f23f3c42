#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The tool running on a pseudo-terminal of its own, as when a user types at it. The test keeps the terminal's
// other end open, so its settings can be read after the tool has gone.
class TTerminalRun
{
public:
    explicit TTerminalRun(const QStringList& Arguments)
    {
        Master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (Master_ < 0 || ::grantpt(Master_) != 0 || ::unlockpt(Master_) != 0)
            return;
        const QByteArray slaveName = ::ptsname(Master_);
        Slave_ = ::open(slaveName.constData(), O_RDWR | O_NOCTTY);
        QList<QByteArray> words{QByteArray(FENK_CLI_PATH)};
        for (const QString& argument : Arguments)
            words += QFile::encodeName(argument);
        std::vector<char*> argv;
        for (QByteArray& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        Child_ = ::fork();
        if (Child_ == 0) {
            ::setsid();
            ::ioctl(Slave_, TIOCSCTTY, 0);
            ::dup2(Slave_, STDIN_FILENO);
            ::dup2(Slave_, STDOUT_FILENO);
            ::dup2(Slave_, STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~TTerminalRun()
    {
        if (Child_ > 0 && Status_ < 0) {
            ::kill(Child_, SIGKILL);
            ::waitpid(Child_, nullptr, 0);
        }
        ::close(Slave_);
        ::close(Master_);
    }
    TTerminalRun(const TTerminalRun&) = delete;
    TTerminalRun& operator=(const TTerminalRun&) = delete;

    // Everything the tool printed until Text appears or 10 seconds pass.
    QByteArray ReadUntil(const QByteArray& Text)
    {
        QElapsedTimer clock;
        clock.start();
        while (!Output_.contains(Text) && clock.elapsed() < 10000) {
            pollfd ready{Master_, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            char buffer[256];
            const ssize_t count = ::read(Master_, buffer, sizeof buffer);
            if (count <= 0)
                break;
            Output_.append(buffer, count);
        }
        return Output_;
    }
    void Type(const QByteArray& Keys) { EXPECT_EQ(::write(Master_, Keys.constData(), Keys.size()), Keys.size()); }
    bool IsEchoOn() const
    {
        termios settings{};
        ::tcgetattr(Slave_, &settings);
        return settings.c_lflag & ECHO;
    }
    // The wait status once the tool ended.
    int Wait()
    {
        ::waitpid(Child_, &Status_, 0);
        return Status_;
    }

private:
    int Master_ = -1;
    int Slave_ = -1;
    pid_t Child_ = -1;
    int Status_ = -1;
    QByteArray Output_;
};

} // namespace

TEST(FenkCliTerminal, AsksWithoutEchoAndRestoresEcho)
{
    TTemporaryFolder folder;
    const QString vault =
        folder.WriteFile(QStringLiteral("vault-a.fkx"), ReadTestData(QStringLiteral("vectors/vault-a.fkx")));
    TTerminalRun run({QStringLiteral("list"), vault});
    run.ReadUntil("Master password of ");
    EXPECT_FALSE(run.IsEchoOn());
    run.Type("fenk-public\n");
    const QByteArray output = run.ReadUntil("mail.example.org");
    const int status = run.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output.constData();
    EXPECT_FALSE(output.contains("fenk-public"));
    EXPECT_TRUE(run.IsEchoOn());
}

TEST(FenkCliTerminal, RestoresEchoAndLeavesTheFilesAsTheyWereWhenInterrupted)
{
    TTemporaryFolder folder;
    const QByteArray original = ReadTestData(QStringLiteral("vectors/vault-a.fkx"));
    const QString vault = folder.WriteFile(QStringLiteral("vault-a.fkx"), original);
    const QString created = folder.FilePath(QStringLiteral("new.fkx"));
    const QStringList commands[] = {
        {QStringLiteral("remove"), vault, QStringLiteral("0")},
        {QStringLiteral("create"), created},
    };
    for (const QStringList& command : commands) {
        TTerminalRun run(command);
        run.ReadUntil("aster password of ");
        EXPECT_FALSE(run.IsEchoOn());
        // Ctrl+C halfway through the password.
        run.Type("fenk-\x03");
        const int status = run.Wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << command.first().toStdString();
        EXPECT_TRUE(run.IsEchoOn()) << command.first().toStdString();
    }
    QFile file(vault);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll() == original);
    EXPECT_FALSE(QFile::exists(created));
}

// The tool loads and saves within one command, but a command may wait for the user in between.
TEST(FenkCliTerminal, RefusesToOverwriteAVaultAnotherProgramChangedMeanwhile)
{
    TTemporaryFolder folder;
    const QString vault =
        folder.WriteFile(QStringLiteral("vault-a.fkx"), ReadTestData(QStringLiteral("vectors/vault-a.fkx")));
    TTerminalRun run({QStringLiteral("add"), vault, QStringLiteral("--site"), QStringLiteral("s"),
                      QStringLiteral("--login"), QStringLiteral("l")});
    run.ReadUntil("Master password of ");
    run.Type("fenk-public\n");
    run.ReadUntil("Password of the login: ");
    const QByteArray theirs = ReadTestData(QStringLiteral("vectors/vault-b.fkx"));
    folder.WriteFile(QStringLiteral("vault-a.fkx"), theirs);
    run.Type("secret\n");
    const QByteArray output = run.ReadUntil("Overwrite it?");
    const int status = run.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << output.constData();
    EXPECT_TRUE(output.contains("The file was changed by another program. Overwrite it?\r\n")) << output.constData();
    EXPECT_FALSE(output.contains("Added login"));
    QFile file(vault);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll() == theirs);
}
