#include "FenkVersion.h"
#include "tests/support/LockHolder.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TRun
{
    int Status = -1;
    QString Out;
    QString Err;
};

// Runs the built tool with Input on its standard input (a pipe, never a terminal).
TRun Cli(const QStringList& Arguments, const QByteArray& Input = {})
{
    QProcess process;
    process.start(QStringLiteral(FENK_CLI_PATH), Arguments);
    if (!process.waitForStarted(10000))
        return {};
    process.write(Input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// Runs a command with its passwords, one line each, on standard input.
TRun CliWith(QStringList Arguments, const QByteArray& Passwords)
{
    return Cli(Arguments << QStringLiteral("--password-stdin"), Passwords);
}

QByteArray ReadFile(const QString& FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A vault made by the tool, with the master password "pw".
class FenkCli : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(CliWith({u"create"_qs, Vault}, "pw\npw\n").Status, 0); }

    TRun Add(const QString& Site, const QString& Login, const QByteArray& Password, const QString& Note = {})
    {
        return CliWith({u"add"_qs, Vault, u"--site"_qs, Site, u"--login"_qs, Login, u"--note"_qs, Note},
                       "pw\n" + Password + "\n");
    }

    TTemporaryFolder Folder;
    QString Vault = Folder.FilePath(u"vault.fkx"_qs);
};

// A copy of a vault of the test data and its password.
struct TVector
{
    QString FileName;
    QByteArray Password;
};

TVector CopyOfVector(const TTemporaryFolder& Folder, const char* Name, const char* Password)
{
    return {Folder.WriteFile(QString::fromLatin1(Name), ReadTestData(u"vectors/"_qs + QString::fromLatin1(Name))),
            QByteArray(Password) + "\n"};
}

} // namespace

TEST_F(FenkCli, CreatesAnEncipheredEmptyVaultAndRefusesAnExistingFile)
{
    const QByteArray created = ReadFile(Vault);
    EXPECT_TRUE(created.startsWith("FKX2;"));
    EXPECT_GE(created.size(), 5 + 8);
    EXPECT_EQ(CliWith({u"list"_qs, Vault}, "other\n").Err, u"Invalid password\n");

    const TRun again = CliWith({u"create"_qs, Vault}, "new\nnew\n");
    EXPECT_EQ(again.Status, 1);
    EXPECT_TRUE(again.Err.startsWith(u"The file already exists"));
    EXPECT_EQ(ReadFile(Vault), created);

    // A create that gets no usable password leaves no file behind, least of all an empty one.
    const struct
    {
        QByteArray Input;
        const char* Message;
    } refused[] = {
        {"one\ntwo\n", "Passwords are not identical\n"},
        {"\n\n", "Cancelled\n"},
        {"one\n", "Standard input ended before every password was read\n"},
    };
    for (const auto& example : refused) {
        const QString other = Folder.FilePath(u"other.fkx"_qs);
        const TRun run = CliWith({u"create"_qs, other}, example.Input);
        EXPECT_EQ(run.Status, 1) << example.Message;
        EXPECT_EQ(run.Err, QString::fromUtf8(example.Message));
        EXPECT_FALSE(QFile::exists(other)) << example.Message;
    }
}

TEST_F(FenkCli, AddsListsFindsShowsEditsAndRemovesLogins)
{
    EXPECT_EQ(Add(u"mail.example.org"_qs, u"bob"_qs, "Tr0ub4dor&3").Out, u"Added login 0\n");
    EXPECT_EQ(Add(u"Bank"_qs, u"carol"_qs, "inner blanks kept", u"PIN\nnot here"_qs).Out, u"Added login 1\n");

    const TRun list = CliWith({u"list"_qs, Vault}, "pw\n");
    EXPECT_EQ(list.Status, 0);
    EXPECT_EQ(list.Out, u"ID  Site name         Login name  Password           Note\n"
                        u"1   Bank              carol       •••••••••••••••••  PIN\n"
                        u"0   mail.example.org  bob         •••••••••••\n");
    EXPECT_TRUE(CliWith({u"list"_qs, Vault, u"--show-passwords"_qs}, "pw\n").Out.contains(u"Tr0ub4dor&3"));

    const TRun found = CliWith({u"find"_qs, Vault, u"HERE"_qs}, "pw\n");
    EXPECT_EQ(found.Status, 0);
    EXPECT_TRUE(found.Out.contains(u"carol") && !found.Out.contains(u"bob"));
    const TRun missing = CliWith({u"find"_qs, Vault, u"Tr0ub"_qs}, "pw\n");
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Out, u"");

    EXPECT_TRUE(CliWith({u"show"_qs, Vault, u"1"_qs}, "pw\n").Out.contains(u"Password:   inner blanks kept\n"));

    const TRun edited =
        CliWith({u"edit"_qs, Vault, u"0"_qs, u"--login"_qs, u"robert"_qs, u"--password"_qs}, "pw\nnew secret\n");
    EXPECT_EQ(edited.Out, u"Changed login 0\n");
    const QString shown = CliWith({u"show"_qs, Vault, u"0"_qs}, "pw\n").Out;
    EXPECT_EQ(shown, u"ID:         0\nSite name:  mail.example.org\nLogin name: robert\nPassword:   new secret\n"
                     u"Note:       \n");

    EXPECT_EQ(CliWith({u"remove"_qs, Vault, u"1"_qs}, "pw\n").Out, u"Removed login 1\n");
    const TRun gone = CliWith({u"show"_qs, Vault, u"1"_qs}, "pw\n");
    EXPECT_EQ(gone.Status, 1);
    EXPECT_EQ(gone.Err, u"No login with ID 1\n");
}

TEST_F(FenkCli, ChangesTheMasterPassword)
{
    Add(u"example.com"_qs, u"alice"_qs, "secret");
    const TRun changed = CliWith({u"passwd"_qs, Vault}, "pw\nnewer\nnewer\n");
    EXPECT_EQ(changed.Status, 0) << changed.Err.toStdString();
    EXPECT_EQ(CliWith({u"list"_qs, Vault}, "pw\n").Err, u"Invalid password\n");
    EXPECT_TRUE(CliWith({u"list"_qs, Vault}, "newer\n").Out.contains(u"alice"));

    const QByteArray before = ReadFile(Vault);
    EXPECT_EQ(CliWith({u"passwd"_qs, Vault}, "newer\na\nb\n").Err, u"Passwords are not identical\n");
    EXPECT_EQ(ReadFile(Vault), before);
}

TEST(FenkCliExchange, ExportsAndImportsBothFormatsWithoutLoss)
{
    TTemporaryFolder folder;
    const TVector source = CopyOfVector(folder, "vault-b.fkx", "Open Sesame 2");
    for (const char* format : {"csv", "json"}) {
        const TRun exported =
            CliWith({u"export"_qs, source.FileName, u"--format"_qs, QString::fromLatin1(format)}, source.Password);
        ASSERT_EQ(exported.Status, 0) << format;
        EXPECT_EQ(exported.Err, u"Warning: the passwords are printed in plain text\n");
        const QString input = folder.WriteFile(QString::fromLatin1(format), exported.Out.toUtf8());

        const QString copy = folder.FilePath(QStringLiteral("copy-%1.fkx").arg(QLatin1String(format)));
        ASSERT_EQ(CliWith({u"create"_qs, copy}, "c\nc\n").Status, 0);
        const TRun imported = CliWith({u"import"_qs, copy, input, u"--format"_qs, QString::fromLatin1(format)}, "c\n");
        EXPECT_EQ(imported.Out, u"Imported 4 logins\n") << format;

        const TRun again = CliWith({u"export"_qs, copy, u"--format"_qs, u"json"_qs, u"--quiet"_qs}, "c\n");
        EXPECT_EQ(again.Err, u"");
        const QJsonArray rows = QJsonDocument::fromJson(again.Out.toUtf8()).array();
        ASSERT_EQ(rows.size(), 4) << format;
        // The vault keeps the note's line break as CR LF; the tool hands it out as a line feed.
        EXPECT_EQ(rows[1].toObject()[u"note"_qs].toString(), u"line one\nline two");
        EXPECT_EQ(rows[0].toObject()[u"password"_qs].toString(), u"x<y&z>\"w\"");
        EXPECT_EQ(rows[2].toObject()[u"site"_qs].toString(), u"café");
        EXPECT_EQ(rows[3].toObject()[u"id"_qs].toInt(), 3);
    }
}

TEST(FenkCliFailures, ReportsUnreadableVaultsAndLeavesThemAsTheyWere)
{
    TTemporaryFolder folder;
    const TVector vault = CopyOfVector(folder, "vault-a.fkx", "fenk-public");
    const QByteArray bytes = ReadFile(vault.FileName);
    const struct
    {
        const char* Name;
        QByteArray Content;
        QByteArray Password;
        const char* Message;
    } cases[] = {
        {"wrong.fkx", bytes, "fenk-private\n", "Invalid password\n"},
        {"short.fkx", "FK", "x\n", "The file type is not supported\n"},
        {"type.fkx", "ZIP2;" + bytes.mid(5), "x\n", "The file type is not supported\n"},
        {"version.fkx", "FKX3;" + bytes.mid(5), "x\n", "The file version is not supported\n"},
        {"truncated.fkx", bytes.left(bytes.size() / 2), vault.Password, nullptr},
    };
    for (const auto& example : cases) {
        const QString file = folder.WriteFile(QString::fromLatin1(example.Name), example.Content);
        const TRun run =
            CliWith({u"add"_qs, file, u"--site"_qs, u"s"_qs, u"--login"_qs, u"l"_qs}, example.Password + "p\n");
        EXPECT_EQ(run.Status, 1) << example.Name;
        if (example.Message)
            EXPECT_EQ(run.Err, QString::fromUtf8(example.Message)) << example.Name;
        else
            EXPECT_TRUE(run.Err == u"Invalid password\n" || run.Err.startsWith(u"File load error: "))
                << run.Err.toStdString();
        EXPECT_EQ(ReadFile(file), example.Content) << example.Name;
    }
    EXPECT_EQ(CliWith({u"list"_qs, folder.FilePath(u"none.fkx"_qs)}, "x\n").Err,
              QStringLiteral("File not found: %1\n").arg(folder.FilePath(u"none.fkx"_qs)));

    const QString fifo = folder.FilePath(u"fifo.fkx"_qs);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& notAVault : {fifo, folder.Path()}) {
        const TRun run = CliWith({u"list"_qs, notAVault}, "x\n");
        EXPECT_EQ(run.Status, 1);
        EXPECT_EQ(run.Err, u"File lock error: Not a regular file\n");
    }
}

TEST_F(FenkCli, LeavesTheFileAsItWasWhenACommandFails)
{
    Add(u"example.com"_qs, u"alice"_qs, "secret");
    const QByteArray before = ReadFile(Vault);
    const QString badCsv = Folder.WriteFile(u"bad.csv"_qs, "site,login,password,note\r\na,b,c,d\r\ne,f\r\n");
    const struct
    {
        QStringList Arguments;
        QByteArray Input;
        const char* Message;
    } cases[] = {
        {{u"edit"_qs, Vault, u"42"_qs, u"--note"_qs, u"n"_qs}, "pw\n", "No login with ID 42\n"},
        {{u"remove"_qs, Vault, u"42"_qs}, "pw\n", "No login with ID 42\n"},
        {{u"remove"_qs, Vault, u"0"_qs}, "bad\n", "Invalid password\n"},
        {{u"import"_qs, Vault, badCsv}, "pw\n", "Line 3: 2 fields instead of 4\n"},
        {{u"add"_qs, Vault, u"--site"_qs, u"s"_qs, u"--login"_qs, u"l"_qs},
         "pw\n",
         "Standard input ended before every password was read\n"},
    };
    for (const auto& example : cases) {
        const TRun run = CliWith(example.Arguments, example.Input);
        EXPECT_EQ(run.Status, 1) << example.Message;
        EXPECT_EQ(run.Err, QString::fromUtf8(example.Message));
        EXPECT_EQ(ReadFile(Vault), before) << example.Message;
    }
}

TEST_F(FenkCli, ClipsOverlongValuesAndSaysWhich)
{
    const TRun run = Add(QString(300, u's'), u"  alice  "_qs, QByteArray(70, 'p'), QString(2100, u'n'));
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, u"Site name clipped to 260 characters\n"
                       u"Login name kept without the blanks and control characters at its ends\n"
                       u"Password clipped to 64 characters\n"
                       u"Note clipped to 2048 characters\n");
    const QString shown = CliWith({u"show"_qs, Vault, u"0"_qs}, "pw\n").Out;
    EXPECT_TRUE(shown.contains(u"Site name:  "_qs + QString(260, u's') + u"\n"_qs));
    EXPECT_TRUE(shown.contains(u"Login name: alice\n"));
    EXPECT_TRUE(shown.contains(u"Password:   "_qs + QString(64, u'p') + u"\n"_qs));
}

TEST_F(FenkCli, NeedsATerminalOrPasswordsOnStandardInput)
{
    const QByteArray before = ReadFile(Vault);
    const TRun run = Cli({u"remove"_qs, Vault, u"0"_qs}, "pw\n");
    EXPECT_EQ(run.Status, 2);
    EXPECT_TRUE(run.Err.startsWith(u"No terminal to ask for passwords: use --password-stdin"));
    EXPECT_EQ(ReadFile(Vault), before);
}

TEST_F(FenkCli, ReportsAVaultLockedByAnotherProcess)
{
    const QByteArray before = ReadFile(Vault);
    {
        TLockHolder writer(Vault, LOCK_EX);
        const TRun run = CliWith({u"list"_qs, Vault}, "pw\n");
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Err.startsWith(u"File lock error: ")) << run.Err.toStdString();
    }
    {
        TLockHolder reader(Vault, LOCK_SH);
        const TRun run = Add(u"example.com"_qs, u"alice"_qs, "secret");
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Err.startsWith(u"File lock error: ")) << run.Err.toStdString();
    }
    EXPECT_EQ(ReadFile(Vault), before);
}

TEST(FenkCliUsage, AnswersHelpAndRefusesMalformedCommandLines)
{
    const TRun help = Cli({u"--help"_qs});
    EXPECT_EQ(help.Status, 0);
    EXPECT_TRUE(help.Out.contains(u"  import  "));
    EXPECT_TRUE(Cli({u"passwd"_qs, u"--help"_qs}).Out.startsWith(u"Usage: fenk-cli passwd FILE"));
    const TRun version = Cli({u"--version"_qs});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, QLatin1String(FenkVersionText) + u'\n');

    const QStringList malformed[] = {
        {},
        {u"open"_qs, u"v.fkx"_qs},
        {u"show"_qs, u"v.fkx"_qs, u"abc"_qs, u"--password-stdin"_qs},
        {u"show"_qs, u"v.fkx"_qs, u"-1"_qs, u"--password-stdin"_qs},
        {u"edit"_qs, u"v.fkx"_qs, u"1"_qs, u"--password-stdin"_qs},
        {u"export"_qs, u"v.fkx"_qs, u"--format"_qs, u"xml"_qs, u"--password-stdin"_qs},
        {u"find"_qs, u"v.fkx"_qs, u""_qs, u"--password-stdin"_qs},
    };
    for (const QStringList& arguments : malformed) {
        const TRun run = Cli(arguments, "pw\n");
        EXPECT_EQ(run.Status, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.Err.contains(u"--help")) << run.Err.toStdString();
    }
}

namespace {

// The core-file limits of a process as /proc shows them ("0 0" when switched off).
QString CoreFileLimits(qint64 Process)
{
    QFile limits(QStringLiteral("/proc/%1/limits").arg(Process));
    if (!limits.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromLatin1(limits.readAll()).split(u'\n'))
        if (line.startsWith(u"Max core file size"))
            return line.mid(26).simplified().section(u' ', 0, 1);
    return {};
}

// The owner of the files in a process's /proc folder: root for a process that is not dumpable, else the process's own
// user.
uid_t ProcOwner(qint64 Process)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(QStringLiteral("/proc/%1/status").arg(Process)).constData(), &status) == 0
               ? status.st_uid
               : uid_t(-1);
}

} // namespace

// A crash of either program writes no core file, and no other process of the user may attach to it.
TEST(FenkCliProcess, SwitchesOffCoreFilesAndDumpingFirstThing)
{
    const struct
    {
        QString Program;
        QStringList Arguments;
    } programs[] = {
        // The tool waits for the master password on standard input, hardened from its start.
        {QStringLiteral(FENK_CLI_PATH), {u"create"_qs, u"/nonexistent-folder/vault.fkx"_qs, u"--password-stdin"_qs}},
#ifdef FENK_PATH
        // The window program runs offscreen until it is ended.
        {QStringLiteral(FENK_PATH), {}},
#endif
    };
    // Run by root, the programs run as another user, since root's own processes belong to root either way.
    constexpr uid_t Nobody = 65534;
    for (const auto& program : programs) {
        SCOPED_TRACE(program.Program.toStdString());
        QProcess process;
        process.setChildProcessModifier([] {
            if (::getuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
                ::_exit(99);
        });
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        environment.insert(u"HOME"_qs, QDir::tempPath());
        process.setProcessEnvironment(environment);
        process.start(program.Program, program.Arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
        const QDeadlineTimer deadline(10000);
        while ((CoreFileLimits(process.processId()) != u"0 0" || ProcOwner(process.processId()) != 0) &&
               !deadline.hasExpired())
            process.waitForReadyRead(10);
        EXPECT_EQ(CoreFileLimits(process.processId()), u"0 0");
        EXPECT_EQ(ProcOwner(process.processId()), uid_t(0)) << "dumpable";
        process.closeWriteChannel();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
}

// Every warning and error the tool can give on a vault of distinctive secrets, on standard error and in the log,
// names what went wrong and never a master password, a login's password or a note.
TEST(FenkCliSecrets, NoPasswordOrNoteReachesTheMessagesOrTheLog)
{
    const QByteArray master = "Mq4-master-secret";
    const QByteArray wrong = "Wd6-wrong-master-secret";
    const QByteArray password = "Pz2-login-secret";
    const QByteArray longPassword = "Lx9-long-secret-" + QByteArray(80, 'y');
    const QString note = u"Nt3-note-secret"_qs;
    const TTemporaryFolder folder;
    const QString vault = folder.FilePath(u"vault.fkx"_qs);
    const QString logFile = QStringLiteral(FENK_CLI_PATH) + u".log"_qs;
    const auto fileOf = [&](const char* Name, const QByteArray& Content) {
        return folder.WriteFile(QString::fromLatin1(Name), Content);
    };
    QString shown;
    const auto run = [&](const QStringList& Arguments, const QByteArray& Passwords) {
        const TRun result = CliWith(Arguments, Passwords);
        shown += result.Err;
        return result.Status;
    };
    ASSERT_EQ(run({u"create"_qs, vault}, master + "\n" + master + "\n"), 0);
    ASSERT_EQ(run({u"add"_qs, vault, u"--site"_qs, u"a"_qs, u"--login"_qs, u"b"_qs, u"--note"_qs, note},
                  master + "\n" + password + "\n"),
              0);
    const struct
    {
        QStringList Arguments;
        QByteArray Passwords;
        int Status;
    } commands[] = {
        {{u"list"_qs, vault}, wrong + "\n", 1},
        {{u"add"_qs, vault, u"--site"_qs, u"c"_qs, u"--login"_qs, u"d"_qs}, master + "\n" + longPassword + "\n", 0},
        {{u"passwd"_qs, vault}, master + "\n" + wrong + "\n" + master + "\n", 1},
        {{u"passwd"_qs, vault}, master + "\n", 1},
        {{u"show"_qs, vault, u"7"_qs}, master + "\n", 1},
        {{u"import"_qs, vault, fileOf("bad.csv", "site,login,password,note\na,b,Pz2-login\"secret,x\n")},
         master + "\n",
         1},
        {{u"import"_qs, vault, fileOf("bad.json", "[{\"password\": 5, \"note\": \"Nt3-note-secret\"}]"), u"--format"_qs,
          u"json"_qs},
         master + "\n",
         1},
        {{u"list"_qs, fileOf("cut.fkx", ReadFile(vault).left(40))}, master + "\n", 1},
        {{u"list"_qs, fileOf("other.fkx", "not a vault")}, master + "\n", 1},
    };
    for (const auto& command : commands)
        EXPECT_EQ(run(command.Arguments, command.Passwords), command.Status)
            << command.Arguments.join(u' ').toStdString();
    {
        TLockHolder writer(vault, LOCK_EX);
        EXPECT_EQ(run({u"remove"_qs, vault, u"0"_qs}, master + "\n"), 1);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(vault).constData(), 0400), 0);
    EXPECT_EQ(run({u"remove"_qs, vault, u"0"_qs}, master + "\n"), 1);

    EXPECT_TRUE(shown.contains(u"Invalid password")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(u"Password clipped to 64 characters")) << shown.toStdString();
    const QByteArray logged = ReadFile(logFile);
    for (const QByteArray& secret : {master, wrong, password, longPassword.left(16), note.toUtf8()}) {
        EXPECT_FALSE(shown.contains(QString::fromUtf8(secret))) << secret.constData() << " in " << shown.toStdString();
        EXPECT_FALSE(logged.contains(secret)) << secret.constData() << " in the log";
    }
}
