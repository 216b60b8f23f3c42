// The vault core and the command-line tool at scale: a vault of 100,000 generated logins opened and listed by the
// built fenk-cli (wall time and peak memory of the process) against keepassxc-cli on the same logins, the save of
// the whole vault against the time to encrypt its payload, and the cipher against OpenSSL's Blowfish-CBC. Prints
// each figure with its goal. "--logins N --runs R --cipher-mib M" make it smaller, as the test suite's smoke run
// does; "--write-vault FILE" only writes the vault (master password "bench master password"), for a profiler.

#include "app/FenkDocument.h"
#include "bench/BenchVault.h"
#include "bench/ChildRun.h"
#include "bench/OpenSslBlowfish.h"
#include "foundation/NCrypt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

namespace {

const QString MasterPassword = QStringLiteral("bench master password");
constexpr int PeerDecryptionMilliseconds = 100;

struct TOptions
{
    int Logins = 100'000;
    int Runs = 3;
    int CipherMebibytes = 16;
    QString VaultOnly;
};

TOptions ParseOptions(const QStringList& Arguments)
{
    TOptions options;
    for (qsizetype index = 1; index + 1 < Arguments.size(); index += 2) {
        const int value = std::max(1, Arguments[index + 1].toInt());
        if (Arguments[index] == u"--write-vault")
            options.VaultOnly = Arguments[index + 1];
        else if (Arguments[index] == u"--logins")
            options.Logins = value;
        else if (Arguments[index] == u"--runs")
            options.Runs = value;
        else if (Arguments[index] == u"--cipher-mib")
            options.CipherMebibytes = value;
    }
    return options;
}

double Seconds(const std::function<void()>& Work)
{
    const auto start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The processor time this thread spends on Work: what the cipher costs, whatever else the machine runs meanwhile.
double ProcessorSeconds(const std::function<void()>& Work)
{
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    Work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
}

// The fastest of Runs timings: the least disturbed by the other work of the machine.
double Fastest(int Runs, const std::function<void()>& Work,
               const std::function<double(const std::function<void()>&)>& Time = Seconds)
{
    double best = Time(Work);
    for (int run = 1; run < Runs; ++run)
        best = std::min(best, Time(Work));
    return best;
}

// The run of median wall time among Runs runs of a program; Status stays -1 when a run failed.
TChildRun MedianRun(int Runs, const QString& Program, const QStringList& Arguments, const QByteArray& Input)
{
    std::vector<TChildRun> runs;
    for (int run = 0; run < Runs; ++run) {
        runs.push_back(RunChild(Program, Arguments, Input));
        if (runs.back().Status != 0)
            return runs.back();
    }
    std::ranges::sort(runs, {}, &TChildRun::Seconds);
    return runs[runs.size() / 2];
}

// One line of the table: the measure, today's figure and the goal, and whether it is met.
void PrintRow(const char* Measure, const QString& Figure, const QString& Goal, std::optional<bool> IsMet)
{
    const char* verdict = !IsMet ? "-" : *IsMet ? "met" : "NOT MET";
    std::printf("| %-58s | %-30s | %-30s | %-7s |\n", Measure, qPrintable(Figure), qPrintable(Goal), verdict);
}

QString Format(const char* Pattern, double Value)
{
    return QString::asprintf(Pattern, Value);
}

struct TPeer
{
    bool IsRun = false;
    QString Note;
    TChildRun List;
};

// keepassxc-cli on the same logins: imported from KeePass XML with a key derivation of about 100 ms, then listed.
TPeer RunPeer(const TOptions& Options, const std::vector<TCliLogin>& Logins, const QString& Folder)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("keepassxc-cli"));
    if (program.isEmpty())
        return {false, QStringLiteral("keepassxc-cli is not installed (Debian package keepassxc)"), {}};
    const QString xml = Folder + QStringLiteral("/peer.xml");
    const QString database = Folder + QStringLiteral("/peer.kdbx");
    {
        QFile file(xml);
        if (!file.open(QIODevice::WriteOnly) || file.write(KeePassXml(Logins)) < 0)
            return {false, QStringLiteral("cannot write the peer's XML"), {}};
    }
    const QByteArray password = MasterPassword.toUtf8() + '\n';
    const TChildRun import =
        RunChild(program,
                 {QStringLiteral("import"), QStringLiteral("-q"), QStringLiteral("-p"), QStringLiteral("-t"),
                  QString::number(PeerDecryptionMilliseconds), xml, database},
                 password + password);
    if (import.Status != 0)
        return {false, QStringLiteral("keepassxc-cli import failed"), {}};
    const TChildRun list = MedianRun(
        Options.Runs, program,
        {QStringLiteral("ls"), QStringLiteral("-q"), QStringLiteral("-R"), QStringLiteral("-f"), database}, password);
    if (list.Status != 0)
        return {false, QStringLiteral("keepassxc-cli ls failed"), {}};
    return {true, {}, list};
}

struct TSave
{
    double LoadSeconds = 0;
    double SaveSeconds = 0;
    double EncryptSeconds = 0;
};

// Loads the vault into the document, changes one login as `fenk-cli edit` does, and times the save alone against
// enciphering as many bytes as the file's payload.
TSave MeasureSave(const TOptions& Options, const QString& Vault)
{
    struct TAnswer
    {
        QString Ask(const QString&, bool, const QString&) { return MasterPassword; }
    } answer;
    TFenkDocument document(TFenkPasswordPrompt(&answer, &TAnswer::Ask));
    TSave save;
    save.LoadSeconds = Seconds([&] {
        if (document.LoadFromFile(Vault, false) != TFenkLoadResult::Loaded)
            throw std::runtime_error("cannot load the bench vault");
    });
    TCliLoginTable logins(*document.LoginRowset());
    int edit = 0;
    save.SaveSeconds = Fastest(Options.Runs, [&] {
        QStringList notices;
        document.RunRowCommand([&] {
            logins.Change(0, {QStringLiteral("edited %1").arg(++edit), {}, {}, {}}, notices);
        });
        if (document.SaveFile() != TFenkSaveResult::Saved)
            throw std::runtime_error("cannot save the bench vault");
    });
    QByteArray payload(QFileInfo(Vault).size(), 'x');
    payload.resize(payload.size() / 8 * 8);
    save.EncryptSeconds =
        Fastest(Options.Runs, [&] { document.Crypt().EncryptBuffer(payload.data(), payload.size()); });
    return save;
}

struct TCipher
{
    bool IsAvailable = false;
    double EncryptRatio = 0;
    double DecryptRatio = 0;
};

// Our cipher's speed over OpenSSL's Blowfish-CBC on the same buffer, each direction, in processor time.
TCipher MeasureCipher(const TOptions& Options)
{
    TOpenSslBlowfish openssl;
    if (!openssl.IsAvailable())
        return {};
    QByteArray buffer(qsizetype(Options.CipherMebibytes) * 1024 * 1024, '\0');
    for (qsizetype index = 0; index < buffer.size(); ++index)
        buffer[index] = char(index * 131 + 7);
    auto* bytes = reinterpret_cast<unsigned char*>(buffer.data());
    TNECrypt crypt;
    crypt.SetKey(TOpenSslBlowfish::Key, sizeof TOpenSslBlowfish::Key);
    TCipher cipher{true, 0, 0};
    for (const bool encrypt : {true, false}) {
        const double ours = Fastest(
            Options.Runs,
            [&] {
                if (encrypt)
                    crypt.EncryptBuffer(buffer.data(), buffer.size());
                else
                    crypt.DecryptBuffer(buffer.data(), buffer.size());
            },
            ProcessorSeconds);
        const double theirs = Fastest(
            Options.Runs, [&] { openssl.Run(bytes, int(buffer.size()), encrypt); }, ProcessorSeconds);
        (encrypt ? cipher.EncryptRatio : cipher.DecryptRatio) = theirs / ours;
    }
    return cipher;
}

int Bench(const TOptions& Options, const QString& FenkCli)
{
    if (!Options.VaultOnly.isEmpty()) {
        WriteFenkVault(Options.VaultOnly, MasterPassword, GenerateLogins(Options.Logins));
        return 0;
    }
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    const QString vault = folder.filePath(QStringLiteral("bench.fkx"));
    const std::vector<TCliLogin> logins = GenerateLogins(Options.Logins);
    const double written = Seconds([&] { WriteFenkVault(vault, MasterPassword, logins); });
    std::printf("%d logins, vault of %.1f MB written in %.2f s; figures are medians or the fastest of %d runs\n",
                Options.Logins, double(QFileInfo(vault).size()) / 1e6, written, Options.Runs);
    std::fflush(stdout);

    const TChildRun list =
        MedianRun(Options.Runs, FenkCli, {QStringLiteral("list"), vault, QStringLiteral("--password-stdin")},
                  MasterPassword.toUtf8() + '\n');
    if (list.Status != 0)
        throw std::runtime_error("fenk-cli list failed");
    const TPeer peer = RunPeer(Options, logins, folder.path());
    const TSave save = MeasureSave(Options, vault);
    const TCipher cipher = MeasureCipher(Options);

    const double kilobytesPerLogin = double(list.PeakKilobytes) / Options.Logins;
    std::printf("\n| %-58s | %-30s | %-30s | %-7s |\n", "Measure", "Figure", "Goal", "");
    std::printf("|%s|%s|%s|%s|\n", QByteArray(60, '-').constData(), QByteArray(32, '-').constData(),
                QByteArray(32, '-').constData(), QByteArray(9, '-').constData());
    if (peer.IsRun) {
        const double ratio = list.Seconds / peer.List.Seconds;
        PrintRow("fenk-cli list open + list against keepassxc-cli ls -R -f",
                 QString::asprintf("%.3f s / %.2f s = %.3f x", list.Seconds, peer.List.Seconds, ratio),
                 QStringLiteral("<= 0.05 x"), ratio <= 0.05);
        PrintRow("  the same in processor time (user + system)",
                 QString::asprintf("%.3f s / %.2f s = %.3f x", list.ProcessorSeconds, peer.List.ProcessorSeconds,
                                   list.ProcessorSeconds / peer.List.ProcessorSeconds),
                 QStringLiteral("(for reference)"), std::nullopt);
        PrintRow("  keepassxc-cli peak memory", Format("%.1f MB", double(peer.List.PeakKilobytes) / 1024),
                 QStringLiteral("(the peer)"), std::nullopt);
    } else {
        PrintRow("fenk-cli list open + list", Format("%.3f s", list.Seconds), QStringLiteral("<= 0.05 x the peer"),
                 std::nullopt);
        std::printf("  (no peer: %s)\n", qPrintable(peer.Note));
    }
    PrintRow("Peak memory of that run",
             QString::asprintf("%.1f MB, %.2f KB per login", double(list.PeakKilobytes) / 1024, kilobytesPerLogin),
             QStringLiteral("<= 1 KB per login"), kilobytesPerLogin <= 1.0);
    PrintRow("The window: start, keystroke, edit, header click, memory", QStringLiteral("printed by WindowBench"),
             QStringLiteral("with their goals there"), std::nullopt);
    const double saveRatio = save.SaveSeconds / save.EncryptSeconds;
    PrintRow("Saving the vault (one login edited, load excluded)",
             QString::asprintf("%.3f s / %.3f s = %.1f x", save.SaveSeconds, save.EncryptSeconds, saveRatio),
             QStringLiteral("<= 3 x encrypting the payload"), saveRatio <= 3.0);
    PrintRow("  its load into the document", Format("%.3f s", save.LoadSeconds), QStringLiteral("(for reference)"),
             std::nullopt);
    if (cipher.IsAvailable) {
        PrintRow("Cipher encryption against OpenSSL Blowfish-CBC", Format("%.2f x", cipher.EncryptRatio),
                 QStringLiteral(">= 0.5 x"), cipher.EncryptRatio >= 0.5);
        PrintRow("Cipher decryption against OpenSSL Blowfish-CBC", Format("%.2f x", cipher.DecryptRatio),
                 QStringLiteral(">= 1.3 x"), cipher.DecryptRatio >= 1.3);
    } else {
        std::printf("  (no cipher figures: OpenSSL's legacy provider with BF-CBC is not available)\n");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // A child that ends before reading its password must not end the bench.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return Bench(ParseOptions(application.arguments()), QStringLiteral(FENK_CLI_PATH));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ScaleBench: %s\n", error.what());
        return 1;
    }
}
