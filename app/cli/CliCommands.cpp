#include "app/cli/CliCommands.h"

#include "FenkVersion.h"
#include "app/FenkDocument.h"
#include "app/cli/CliArguments.h"
#include "app/cli/CliExchange.h"
#include "app/cli/CliLogins.h"
#include "app/cli/CliTerminal.h"
#include "foundation/NFile.h"
#include "foundation/NInteger.h"
#include "foundation/NLog.h"
#include "foundation/NStruct.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

// A command that cannot do what it was asked; the message says why.
NE_DECLARE_ERROR(ECliCommandErr, ENEException, "The command failed");

// Prints the messages of the vault core on standard error. The tool never has a question worth a yes: it loads and
// saves within one command, so a question (such as whether to overwrite a file another program changed meanwhile)
// is printed as the reason the command refuses.
class TCliPresenter : public TNEPromptPresenter
{
public:
    TCliPresenter() : Previous_(InstallPromptPresenter(this)) {}
    ~TCliPresenter() override { InstallPromptPresenter(Previous_); }
    TCliPresenter(const TCliPresenter&) = delete;
    TCliPresenter& operator=(const TCliPresenter&) = delete;

    void ShowMessage(TNEMessageKind, const QString& Text) override { PrintError(Text + QLatin1Char('\n')); }
    bool AskYesNo(const QString& Text, bool) override
    {
        PrintError(Text + QLatin1Char('\n'));
        return false;
    }
    void ShowTitledMessage(const QString& Title, const QString& Text) override
    {
        PrintError(Title + QStringLiteral(": ") + Text + QLatin1Char('\n'));
    }

private:
    TNEPromptPresenter* Previous_;
};

// A login ID as given on the command line.
std::int32_t LoginID(const QString& Text)
{
    const int id = ParseInteger(Text, -1);
    if (id < 0)
        throw ECliUsageErr(QStringLiteral("Invalid ID \"%1\"").arg(Text));
    return id;
}

void PrintNotices(const QStringList& Notices, const QString& Prefix = {})
{
    for (const QString& notice : Notices)
        PrintError(Prefix + notice + QLatin1Char('\n'));
}

// One run of a command on one vault file.
class TCliSession
{
public:
    explicit TCliSession(const TCliArguments& Arguments)
        : Arguments_(Arguments), FileName_(Arguments.Positional(0)),
          Passwords_(MakePasswordSource(Arguments.Has(QStringLiteral("password-stdin")))),
          Document_(TFenkPasswordPrompt(this, &TCliSession::AskMasterPasswordOf))
    {}

    void Run()
    {
        using TCommand = void (TCliSession::*)();
        const std::pair<QStringView, TCommand> commands[] = {
            {u"create", &TCliSession::Create}, {u"list", &TCliSession::List},     {u"find", &TCliSession::Find},
            {u"show", &TCliSession::Show},     {u"add", &TCliSession::Add},       {u"edit", &TCliSession::Edit},
            {u"remove", &TCliSession::Remove}, {u"passwd", &TCliSession::Passwd}, {u"export", &TCliSession::Export},
            {u"import", &TCliSession::Import},
        };
        for (const auto& [name, command] : commands)
            if (name == Arguments_.Command())
                return (this->*command)();
    }

private:
    QString AskMasterPasswordOf(const QString&, bool IsNew, const QString& FileName)
    {
        if (!AskedAhead_.IsEmpty())
            return AskedAhead_.Take();
        return AskMasterPassword(*Passwords_, FileName, IsNew).Take();
    }

    void Create()
    {
        if (FileExists(FileName_) || FolderExists(FileName_))
            throw ECliCommandErr(QStringLiteral("The file already exists: %1").arg(FileName_));
        // Asked before the empty file exists, so an interrupt while the user types leaves no file behind.
        AskedAhead_ = AskMasterPassword(*Passwords_, FileName_, true);
        // The new vault is written enciphered as it is unlocked, or nothing is left behind.
        RequireLoaded(Document_.NewFile(FileName_));
        Save();
        PrintOut(QStringLiteral("Created %1\n").arg(FileName_));
    }

    void List()
    {
        Open();
        WriteLoginList(Logins().Sorted(), Arguments_.Has(QStringLiteral("show-passwords")), &PrintOut);
    }

    void Find()
    {
        const QString& text = Arguments_.Positional(1);
        if (text.isEmpty())
            throw ECliUsageErr(QStringLiteral("The text to find is empty"));
        Open();
        const std::vector<TCliLogin> found = Logins().Find(text);
        if (found.empty())
            throw ECliCommandErr(QStringLiteral("No login matches \"%1\"").arg(text));
        WriteLoginList(found, Arguments_.Has(QStringLiteral("show-passwords")), &PrintOut);
    }

    void Show()
    {
        const std::int32_t id = LoginID(Arguments_.Positional(1));
        Open();
        PrintSecretOut(FormatLogin(Logins().Get(id)));
    }

    void Add()
    {
        Open();
        TNESecureText password = AskLoginPassword(*Passwords_);
        const TCliLogin login{-1, *Arguments_.Value(QStringLiteral("site")), *Arguments_.Value(QStringLiteral("login")),
                              password.Text(), Arguments_.Value(QStringLiteral("note")).value_or(QString())};
        QStringList notices;
        std::int32_t id = -1;
        Document_.RunRowCommand([&] { id = Logins().Add(login, notices); });
        Save();
        PrintNotices(notices);
        PrintOut(QStringLiteral("Added login %1\n").arg(id));
    }

    void Edit()
    {
        const std::int32_t id = LoginID(Arguments_.Positional(1));
        const bool changesPassword = Arguments_.Has(QStringLiteral("password"));
        TCliLoginChange change{Arguments_.Value(QStringLiteral("site")), Arguments_.Value(QStringLiteral("login")),
                               std::nullopt, Arguments_.Value(QStringLiteral("note"))};
        if (!change.Site && !change.Login && !change.Note && !changesPassword)
            throw ECliUsageErr(QStringLiteral("Nothing to change: give --site, --login, --note or --password"));
        Open();
        Logins().Get(id);
        TNESecureText password;
        if (changesPassword) {
            password = AskLoginPassword(*Passwords_);
            change.Password = password.Text();
        }
        QStringList notices;
        Document_.RunRowCommand([&] { Logins().Change(id, change, notices); });
        Save();
        PrintNotices(notices);
        PrintOut(QStringLiteral("Changed login %1\n").arg(id));
    }

    void Remove()
    {
        const std::int32_t id = LoginID(Arguments_.Positional(1));
        Open();
        Document_.RunRowCommand([&] { Logins().Remove(id); });
        Save();
        PrintOut(QStringLiteral("Removed login %1\n").arg(id));
    }

    void Passwd()
    {
        Open();
        if (!Document_.ChangeMasterPassword())
            throw ECliCancelErr();
        Save();
        PrintOut(QStringLiteral("Changed the master password of %1\n").arg(FileName_));
    }

    void Export()
    {
        const TCliExchangeFormat format = ExchangeFormatNamed(*Arguments_.Value(QStringLiteral("format")));
        Open();
        const TNESecureBytes bytes = ExportLogins(Logins().All(), format);
        if (!Arguments_.Has(QStringLiteral("quiet")))
            PrintError(QStringLiteral("Warning: the passwords are printed in plain text\n"));
        WriteAll(STDOUT_FILENO, bytes.Bytes());
    }

    void Import()
    {
        const TCliExchangeFormat format =
            ExchangeFormatNamed(Arguments_.Value(QStringLiteral("format")).value_or(QStringLiteral("csv")));
        const std::vector<TCliLogin> imported = ImportLogins(ReadInput(Arguments_.Positional(1)).Bytes(), format);
        Open();
        QStringList notices;
        Document_.RunRowCommand([&] {
            for (std::size_t index = 0; index < imported.size(); ++index) {
                QStringList clipped;
                Logins().Add(imported[index], clipped);
                for (const QString& notice : clipped)
                    notices += QStringLiteral("Login %1 (%2): %3").arg(index + 1).arg(imported[index].Site, notice);
            }
        });
        Save();
        PrintNotices(notices);
        PrintOut(QStringLiteral("Imported %1 logins\n").arg(imported.size()));
    }

    // The whole input file of an import.
    static TNESecureBytes ReadInput(const QString& FileName)
    {
        QFile file(FileName);
        // Unbuffered: a device's buffer would keep a copy of the passwords in it.
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw ENESystemErr(QStringLiteral("File load error: %1: %2").arg(FileName, file.errorString()));
        return TNESecureBytes(file.readAll());
    }

    void Open()
    {
        if (!QFileInfo::exists(FileName_))
            throw ECliCommandErr(QStringLiteral("File not found: %1").arg(FileName_));
        RequireLoaded(Document_.LoadFromFile(FileName_, false));
    }

    // A load that did not end with the vault open ends the command; the core has said why unless it was cancelled.
    static void RequireLoaded(TFenkLoadResult Result)
    {
        switch (Result) {
        case TFenkLoadResult::Loaded:
            return;
        case TFenkLoadResult::Cancelled:
            throw ECliCancelErr();
        case TFenkLoadResult::Missing:
        case TFenkLoadResult::Failed:
            throw ENEAbort();
        }
    }

    // Saves the document over its file; the previous file stays whole when this fails or is refused.
    void Save()
    {
        TFenkSaveResult result = TFenkSaveResult::Failed;
        try {
            result = Document_.SaveFile();
        } catch (const ENEFileLockedErr& error) {
            throw ECliCommandErr(QStringLiteral("File lock error: ") + error.Message());
        } catch (const ENESystemErr& error) {
            throw ECliCommandErr(QStringLiteral("File save error: ") + error.Message());
        }
        // Otherwise the core has said why.
        if (result != TFenkSaveResult::Saved)
            throw ENEAbort();
    }

    TCliLoginTable Logins() { return TCliLoginTable(*Document_.LoginRowset()); }

    const TCliArguments& Arguments_;
    const QString FileName_;
    std::unique_ptr<TCliPasswordSource> Passwords_;
    // A master password read before the document asks for it.
    TNESecureText AskedAhead_;
    TFenkDocument Document_;
};

} // namespace

int RunCli(const QStringList& Arguments)
{
    try {
        const TCliArguments arguments = TCliArguments::Parse(Arguments);
        if (arguments.WantsHelp()) {
            PrintOut(CommandHelp(arguments.Command()));
            return esSuccess;
        }
        if (arguments.WantsVersion()) {
            PrintOut(QLatin1String(FenkVersionText) + QLatin1Char('\n'));
            return esSuccess;
        }
        TCliPresenter presenter;
        TCliSession(arguments).Run();
        return esSuccess;
    } catch (const ECliUsageErr& error) {
        PrintError(error.Message() + QLatin1Char('\n'));
        const QString command = Arguments.value(0);
        PrintError(IsCommand(command) ? QStringLiteral("Run \"fenk-cli %1 --help\" for its usage.\n").arg(command)
                                      : QStringLiteral("Run \"fenk-cli --help\" for the commands.\n"));
        return esUsage;
    } catch (const ENEAbort&) {
        return esFailure;
    } catch (const ENEException& error) {
        PrintError(error.Message() + QLatin1Char('\n'));
        return esFailure;
    } catch (const std::exception& error) {
        PrintError(QString::fromLocal8Bit(error.what()) + QLatin1Char('\n'));
        return esFailure;
    }
}
