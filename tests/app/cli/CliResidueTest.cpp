#include "app/cli/CliCommands.h"
#include "tests/support/MemoryScan.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"

#include <QFile>
#include <QStringList>

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <unistd.h>
#include <utility>

namespace {

// Every secret of the session below as the literals of read-only memory, so the test keeps no copy of its own.
constexpr char VectorMaster[] = "fenk-public";
constexpr char16_t VectorMaster16[] = u"fenk-public";
constexpr char NewMaster[] = "Qz7!residue-master-Kp";
constexpr char16_t NewMaster16[] = u"Qz7!residue-master-Kp";
constexpr char EditedPassword[] = "Vw3#edited-login-secret";
constexpr char16_t EditedPassword16[] = u"Vw3#edited-login-secret";
constexpr char ImportedPassword[] = "Jm8$imported-login-secret";
constexpr char16_t ImportedPassword16[] = u"Jm8$imported-login-secret";
constexpr char ImportCsv[] = "site,login,password,note\nimported.example,dora,Jm8$imported-login-secret,\n";
constexpr char ImportJson[] = "[{\"site\": \"json.example\", \"password\": \"Lc2^json-login-secret\"}]";
constexpr char16_t JsonPassword16[] = u"Lc2^json-login-secret";

// Runs the tool's command in this process with Lines on standard input, one write each, and its output thrown
// away; gives its exit status.
int RunWithInput(const QStringList& Arguments, std::initializer_list<const char*> Lines)
{
    int input[2];
    if (::pipe(input) != 0)
        return -1;
    for (const char* line : Lines) {
        (void)!::write(input[1], line, std::strlen(line));
        (void)!::write(input[1], "\n", 1);
    }
    ::close(input[1]);
    const int savedInput = ::dup(STDIN_FILENO);
    const int savedOutput = ::dup(STDOUT_FILENO);
    const int savedError = ::dup(STDERR_FILENO);
    const int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(input[0], STDIN_FILENO);
    ::dup2(nothing, STDOUT_FILENO);
    ::dup2(nothing, STDERR_FILENO);
    const int status = RunCli(QStringList(Arguments) << QStringLiteral("--password-stdin"));
    ::dup2(savedInput, STDIN_FILENO);
    ::dup2(savedOutput, STDOUT_FILENO);
    ::dup2(savedError, STDERR_FILENO);
    for (int descriptor : {input[0], savedInput, savedOutput, savedError, nothing})
        ::close(descriptor);
    return status;
}

} // namespace

// After a session of commands on a vault (a new master password, a list, a login shown, edited, exported and
// imported), nothing of a master password, its key or cipher tables or a login's password is left in memory.
TEST(CliResidue, NoSecretOfAFinishedSessionStaysInMemory)
{
    const TTemporaryFolder folder;
    const QString vault = folder.WriteFile(u"vault.fkx"_qs, ReadTestData(u"vectors/vault-a.fkx"_qs));
    const QString csv = folder.FilePath(u"import.csv"_qs);
    const QString json = folder.FilePath(u"import.json"_qs);
    for (const auto& [name, content] : {std::pair(csv, ImportCsv), std::pair(json, ImportJson)}) {
        const int file = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_EQ(::write(file, content, std::strlen(content)), qsizetype(std::strlen(content)));
        ::close(file);
    }
    const struct
    {
        QStringList Arguments;
        std::initializer_list<const char*> Input;
        int Status;
    } session[] = {
        {{u"passwd"_qs, vault}, {VectorMaster, NewMaster, NewMaster}, 0},
        {{u"list"_qs, vault, u"--show-passwords"_qs}, {NewMaster}, 0},
        {{u"show"_qs, vault, u"0"_qs}, {NewMaster}, 0},
        {{u"edit"_qs, vault, u"1"_qs, u"--password"_qs}, {NewMaster, EditedPassword}, 0},
        {{u"import"_qs, vault, csv}, {NewMaster}, 0},
        {{u"import"_qs, vault, json, u"--format"_qs, u"json"_qs}, {NewMaster}, 0},
        {{u"export"_qs, vault, u"--format"_qs, u"json"_qs, u"--quiet"_qs}, {NewMaster}, 0},
        {{u"export"_qs, vault, u"--format"_qs, u"csv"_qs, u"--quiet"_qs}, {NewMaster}, 0},
        {{u"list"_qs, vault}, {VectorMaster}, 1}, // refused: the old master password
    };
    for (const auto& command : session)
        EXPECT_EQ(RunWithInput(command.Arguments, command.Input), command.Status)
            << command.Arguments.join(u' ').toStdString();

    // The key bytes of these ASCII passwords are their Latin-1 texts.
    std::vector<TMemoryNeedle> needles = {
        {"old master password", VectorMaster},
        {"old master password UTF-16", VectorMaster16},
        {"new master password", NewMaster},
        {"new master password UTF-16", NewMaster16},
        {"edited password", EditedPassword},
        {"edited password UTF-16", EditedPassword16},
        {"imported password", ImportedPassword},
        {"imported password UTF-16", ImportedPassword16},
        // Only its UTF-16 form: Qt's JSON parser keeps the UTF-8 text in storage of its own, which nothing zeroes.
        {"JSON imported password UTF-16", JsonPassword16},
    };
    AddVaultPasswordNeedles(needles);
    AddCipherTableNeedles(needles, VectorMaster, "old master cipher");
    AddCipherTableNeedles(needles, NewMaster, "new master cipher");
    ExpectNoneInWritableMemory(std::move(needles));
}
