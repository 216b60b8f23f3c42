#include "app/FenkDocument.h"

#include "app/FenkFormat.h"
#include "foundation/NFile.h"
#include "foundation/NLog.h"
#include "foundation/NStruct.h"
#include "tests/app/DocumentLogins.h"
#include "tests/support/LockHolder.h"
#include "tests/support/ScriptedPresenter.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QScopeGuard>

#include <deque>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <vector>

namespace {

const QList<QStringList> TwoLogins = {{"example.com", "alice", "secret 1", "first"},
                                      {"mail.example.org", "bob", "secret 2", "line one\r\nline two"}};

// Answers the document's password prompts in order, an empty answer (cancel) once the script runs out, and records
// every question.
class TPasswordScript
{
public:
    struct Question
    {
        QString Caption;
        bool IsNew;
        QString FileName;
    };

    void AnswerNext(const QString& Password) { Answers_.push_back(Password); }
    TFenkPasswordPrompt Prompt() { return TFenkPasswordPrompt(this, &TPasswordScript::Ask); }
    const std::vector<Question>& Questions() const { return Questions_; }

private:
    QString Ask(const QString& Caption, bool IsNew, const QString& FileName)
    {
        Questions_.push_back({Caption, IsNew, FileName});
        if (Answers_.empty())
            return {};
        QString answer = Answers_.front();
        Answers_.pop_front();
        return answer;
    }

    std::deque<QString> Answers_;
    std::vector<Question> Questions_;
};

// Counts the progress reports and aborts at the report numbered AbortAt (1 for the first).
class TProgressProbe
{
public:
    explicit TProgressProbe(int AbortAt = 0) : AbortAt_(AbortAt) {}
    TFenkProgress Handler() { return TFenkProgress(this, &TProgressProbe::Report); }
    int Reports() const { return Reports_; }
    std::int32_t LastTotal() const { return LastTotal_; }

private:
    void Report(std::int32_t, std::int32_t Total, bool& Abort)
    {
        LastTotal_ = Total;
        Abort = ++Reports_ == AbortAt_;
    }

    int AbortAt_;
    int Reports_ = 0;
    std::int32_t LastTotal_ = 0;
};

void AddLogin(TFenkDocument& Document, const QStringList& Fields)
{
    Document.RunRowCommand([&] { Document.LoginRowset()->InsertRow(JoinItems(Fields)); });
}

QStringList EnabledNames(const TFenkCommandStates& States)
{
    const std::pair<bool, const char*> commands[] = {
        {States.OpenFile, "Open"},     {States.NewFile, "New"},      {States.ChangeMasterPassword, "Change"},
        {States.CloseFile, "Close"},   {States.SaveFile, "Save"},    {States.ExitProgram, "Exit"},
        {States.CopyPassword, "Copy"}, {States.InsertRow, "Insert"}, {States.EditRow, "Edit"},
        {States.DeleteRow, "Delete"}};
    QStringList names;
    for (const auto& [isEnabled, name] : commands)
        if (isEnabled)
            names.append(QString::fromLatin1(name));
    return names;
}

QByteArray ReadFile(const QString& FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

mode_t Permissions(const QString& FileName)
{
    struct stat status = {};
    ::stat(QFile::encodeName(FileName).constData(), &status);
    return status.st_mode & 07777;
}

// Rewrites a file with Content (its own when null) and gives it the modification time Time, or keeps the one it
// had, as tools that copy files do.
void Rewrite(const QString& FileName, std::optional<QByteArray> Content, std::optional<timespec> Time = {})
{
    struct stat status = {};
    ::stat(QFile::encodeName(FileName).constData(), &status);
    QFile file(FileName);
    const QByteArray bytes = Content.value_or(ReadFile(FileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const timespec times[2] = {{0, UTIME_OMIT}, Time.value_or(status.st_mtim)};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(FileName).constData(), times, 0), 0);
}

// A vault in a folder of its own, its document, the prompts it answers and the messages it shows.
struct TVaultSession
{
    TTemporaryFolder Folder;
    TScriptedPresenter Presenter;
    TPasswordScript Passwords;
    TFenkDocument Document{Passwords.Prompt()};

    TFenkLoadResult Open(const QString& FileName, const QString& Password)
    {
        Passwords.AnswerNext(Password);
        return Document.LoadFromFile(FileName, false);
    }

    // A new vault file holding Rows under Password, left open and saved.
    QString CreateVault(const QString& Name, const QString& Password, const QList<QStringList>& Rows)
    {
        const QString fileName = Folder.FilePath(Name);
        Passwords.AnswerNext(Password);
        EXPECT_EQ(Document.NewFile(fileName), TFenkLoadResult::Loaded);
        for (const QStringList& row : Rows)
            AddLogin(Document, row);
        EXPECT_EQ(Document.SaveFile(), TFenkSaveResult::Saved);
        return fileName;
    }
};

// What of the document a failed load must leave alone; the key is compared by a digest of its subkeys.
struct TDocumentSnapshot
{
    explicit TDocumentSnapshot(TFenkDocument& Document)
        : FileName(Document.FileName()), IsModified(Document.DocumentModified()), Logins(DocumentLogins(Document))
    {
        if (const std::uint32_t* subkeys = Document.Crypt().P())
            KeyDigest = QCryptographicHash::hash(
                QByteArrayView(reinterpret_cast<const char*>(subkeys), TNECrypt::SubkeyCount * sizeof(std::uint32_t)),
                QCryptographicHash::Sha256);
    }

    QString FileName;
    bool IsModified;
    QStringList Logins;
    QByteArray KeyDigest;

    friend bool operator==(const TDocumentSnapshot&, const TDocumentSnapshot&) = default;
};

// The plain payload of a vault with Document as its XML document, under Password.
void WriteVaultWithDocument(const QString& FileName, const QByteArray& Document, const QString& Password)
{
    TNECrypt crypt;
    const TNESecureBytes key = KeyFromPassword(Password);
    crypt.SetKey(key.Bytes().constData(), key.Bytes().size());
    WriteVaultFile(FileName, crypt, [&](QIODevice& Device) { Device.write(Document); });
}

// The document of a vector vault with its first row repeated: a file the streamer refuses under the right key.
QByteArray DocumentWithDuplicateRow()
{
    const QByteArray plain = ReadTestData(QStringLiteral("vectors/vault-a.plain"));
    QByteArray document = plain.mid(plain.indexOf('<'), plain.lastIndexOf('>') - plain.indexOf('<') + 1);
    const qsizetype rowStart = document.indexOf("    <row ");
    const qsizetype rowEnd = document.indexOf("\r\n", rowStart) + 2;
    document.insert(rowStart, document.mid(rowStart, rowEnd - rowStart));
    return document;
}

} // namespace

TEST(FenkDocument, StartsWithNoFileAndTheEmptyLoginSchema)
{
    TVaultSession session;
    TFenkDocument& document = session.Document;
    EXPECT_TRUE(document.FileName().isEmpty());
    EXPECT_FALSE(document.Crypt().HasKey());
    EXPECT_FALSE(document.DocumentModified());
    ASSERT_EQ(document.Store().RowsetCount(), 1);
    TNERowset& logins = *document.LoginRowset();
    EXPECT_EQ(logins.Caption(), u"Login");
    EXPECT_EQ(logins.Mode(), rmActive);
    EXPECT_EQ(logins.RowCount(), 0);

    const struct
    {
        const char* Caption;
        const char* Name;
        int Size;
        bool IsMultiLine;
    } columns[] = {{"Site name", "SITE_NAME", 260, false},
                   {"Login name", "LOGIN_NAME", 64, false},
                   {"Password", "PASSWORD", 64, false},
                   {"Note", "NOTE", 2048, true}};
    ASSERT_EQ(logins.ColumnCount(), 4);
    for (int index = 0; index < 4; ++index) {
        const TNEColumn& column = logins.Columns(index);
        EXPECT_EQ(column.Caption(), QString::fromLatin1(columns[index].Caption));
        EXPECT_EQ(column.Name(), QString::fromLatin1(columns[index].Name));
        EXPECT_EQ(column.Kind(), ckString);
        EXPECT_EQ(column.Size(), columns[index].Size);
        EXPECT_EQ(column.Flag(), columns[index].IsMultiLine);
    }

    AddLogin(document, TwoLogins[0]);
    document.BuildSchema();
    EXPECT_EQ(document.Store().RowsetCount(), 1);
    EXPECT_EQ(document.LoginRowset()->RowCount(), 0);
}

TEST(FenkDocument, EnablingRuleFollowsTheDocumentState)
{
    const QStringList noFile = {"Open", "New", "Exit"};
    const QStringList openEmpty = {"Open", "New", "Change", "Close", "Exit", "Insert"};
    const QStringList openWithRows = {"Open", "New", "Change", "Close", "Exit", "Copy", "Insert", "Edit", "Delete"};
    const QStringList modifiedWithRows = {"Open", "New",  "Change", "Close", "Save",
                                          "Exit", "Copy", "Insert", "Edit",  "Delete"};
    const struct
    {
        const char* State;
        std::function<void(TVaultSession&)> Enter;
        QStringList Enabled;
    } cases[] = {
        {"no file", [](TVaultSession&) {}, noFile},
        {"open empty vault", [](TVaultSession& s) { s.CreateVault("empty.fkx", "pw", {}); }, openEmpty},
        {"open vault with rows", [](TVaultSession& s) { s.CreateVault("rows.fkx", "pw", TwoLogins); }, openWithRows},
        {"unsaved row",
         [](TVaultSession& s) {
             s.CreateVault("v.fkx", "pw", {});
             AddLogin(s.Document, TwoLogins[0]);
         },
         modifiedWithRows},
        {"file deleted while open", [](TVaultSession& s) { QFile::remove(s.CreateVault("gone.fkx", "pw", TwoLogins)); },
         noFile},
        {"master password changed",
         [](TVaultSession& s) {
             s.CreateVault("change.fkx", "pw", TwoLogins);
             s.Passwords.AnswerNext("new");
             s.Document.ChangeMasterPassword();
         },
         modifiedWithRows},
        {"closed",
         [](TVaultSession& s) {
             s.CreateVault("closed.fkx", "pw", TwoLogins);
             s.Document.CloseFile();
         },
         noFile},
    };
    for (const auto& testCase : cases) {
        TVaultSession session;
        testCase.Enter(session);
        EXPECT_EQ(EnabledNames(session.Document.EnabledCommands()), testCase.Enabled) << testCase.State;
    }
}

TEST(FenkDocument, RowCommandsMarkTheDocumentModifiedOnlyWhenTheStoreChanged)
{
    const auto firstRow = [](TFenkDocument& d) { return d.LoginRowset()->FindRow(0); };
    const struct
    {
        const char* Command;
        std::function<void(TFenkDocument&)> Run;
        bool IsModified;
    } cases[] = {
        {"editor cancelled", [](TFenkDocument&) {}, false},
        {"edit left unposted", [&](TFenkDocument& d) { firstRow(d)->SetString(lcNote, u"draft"); }, false},
        {"edit posted unchanged",
         [&](TFenkDocument& d) {
             firstRow(d)->SetString(lcSiteName, firstRow(d)->GetString(lcSiteName));
             firstRow(d)->Post();
         },
         false},
        {"insert", [](TFenkDocument& d) { d.LoginRowset()->InsertRow(JoinItems(TwoLogins[1])); }, true},
        {"edit",
         [&](TFenkDocument& d) {
             firstRow(d)->SetString(lcPassword, u"changed");
             firstRow(d)->Post();
         },
         true},
        {"delete", [](TFenkDocument& d) { d.LoginRowset()->DeleteRow(0); }, true},
        {"insert, then a failure",
         [](TFenkDocument& d) {
             d.LoginRowset()->InsertRow(JoinItems(TwoLogins[1]));
             throw ENEAbort();
         },
         true},
    };
    for (const auto& testCase : cases) {
        TVaultSession session;
        session.CreateVault("v.fkx", "pw", {TwoLogins[0]});
        ASSERT_FALSE(session.Document.DocumentModified());
        try {
            session.Document.RunRowCommand([&] { testCase.Run(session.Document); });
        } catch (const ENEAbort&) {
        }
        EXPECT_EQ(session.Document.DocumentModified(), testCase.IsModified) << testCase.Command;
    }

    TVaultSession session;
    session.CreateVault("v.fkx", "pw", {});
    AddLogin(session.Document, TwoLogins[0]);
    session.Document.RunRowCommand([] {});
    EXPECT_TRUE(session.Document.DocumentModified()) << "a cancelled command keeps earlier changes";
}

TEST(FenkDocument, AnEditInTheSameMillisecondAsTheLastChangeStillCounts)
{
    bool sawSameMillisecond = false;
    for (int attempt = 0; attempt < 1000 && !sawSameMillisecond; ++attempt) {
        TVaultSession session;
        TNERowset& logins = *session.Document.LoginRowset();
        // A change the document does not track, as the merge of a load makes right before the user's first edit.
        TNERow& row = *logins.FindRow(logins.InsertRow(JoinItems(TwoLogins[0])));
        const TNETimeStamp before = session.Document.Store().Modified();
        session.Document.RunRowCommand([&] {
            row.SetString(lcPassword, u"changed");
            row.Post();
        });
        sawSameMillisecond = session.Document.Store().Modified() == before;
        ASSERT_TRUE(session.Document.DocumentModified());
    }
    EXPECT_TRUE(sawSameMillisecond);
}

TEST(FenkDocument, FailedLoadsLeaveTheOpenVaultAsItWas)
{
    const QString fileLocked = QStringLiteral("File lock error: ") + ENEFileLockedErr().Message();
    const struct
    {
        const char* Situation;
        std::function<QString(TVaultSession&)> MakeFile;
        bool IsLockedByAnotherProcess;
        std::optional<QString> Password; // none: the prompt is cancelled
        TFenkLoadResult Result;
        QStringList Messages; // patterns
    } cases[] = {
        {"missing file",
         [](TVaultSession& s) { return s.Folder.FilePath("missing.fkx"); },
         false,
         "pw",
         TFenkLoadResult::Missing,
         {}},
        {"locked by another process",
         [](TVaultSession& s) { return s.Folder.WriteFile("locked.fkx", "FKX2;"); },
         true,
         "pw",
         TFenkLoadResult::Failed,
         {QRegularExpression::escape(fileLocked)}},
        {"read failure",
         [](TVaultSession&) { return QStringLiteral("/proc/self/mem"); }, // opens, but reading offset 0 fails
         false,
         "pw",
         TFenkLoadResult::Failed,
         {"File lock error: .+"}},
        {"two bytes",
         [](TVaultSession& s) { return s.Folder.WriteFile("short.fkx", "FK"); },
         false,
         "pw",
         TFenkLoadResult::Failed,
         {"The file type is not supported"}},
        {"foreign magic",
         [](TVaultSession& s) { return s.Folder.WriteFile("foreign.fkx", "PK\x03\x04"); },
         false,
         "pw",
         TFenkLoadResult::Failed,
         {"The file type is not supported"}},
        {"version 3",
         [](TVaultSession& s) { return s.Folder.WriteFile("v3.fkx", "FKX3;12345678"); },
         false,
         "pw",
         TFenkLoadResult::Failed,
         {"The file version is not supported"}},
        {"version not a number",
         [](TVaultSession& s) { return s.Folder.WriteFile("vx.fkx", "FKXtwo;"); },
         false,
         "pw",
         TFenkLoadResult::Failed,
         {"The file version is not supported"}},
        {"password cancelled",
         [](TVaultSession& s) { return s.Folder.WriteFile("other.fkx", ""); },
         false,
         std::nullopt,
         TFenkLoadResult::Cancelled,
         {}},
        {"wrong password",
         [](TVaultSession& s) {
             TVaultSession writer;
             const QString fileName = s.Folder.FilePath("second.fkx");
             QFile::copy(writer.CreateVault("second.fkx", "right", TwoLogins), fileName);
             return fileName;
         },
         false,
         "wrong",
         TFenkLoadResult::Failed,
         {"Invalid password|File load error: .+"}},
        {"document the streamer refuses",
         [](TVaultSession& s) {
             const QString fileName = s.Folder.FilePath("duplicate.fkx");
             WriteVaultWithDocument(fileName, DocumentWithDuplicateRow(), "pw");
             return fileName;
         },
         false,
         "pw",
         TFenkLoadResult::Failed,
         {"File load error: .+"}},
    };
    for (const auto& testCase : cases) {
        TVaultSession session;
        session.CreateVault("first.fkx", "first", TwoLogins);
        AddLogin(session.Document, {"unsaved", "row", "pw", ""});
        const TDocumentSnapshot before(session.Document);
        const QString fileName = testCase.MakeFile(session);
        session.Presenter.Clear();
        std::optional<TLockHolder> lock;
        if (testCase.IsLockedByAnotherProcess)
            lock.emplace(fileName, LOCK_EX);
        if (testCase.Password)
            session.Passwords.AnswerNext(*testCase.Password);

        EXPECT_EQ(session.Document.LoadFromFile(fileName, false), testCase.Result) << testCase.Situation;
        EXPECT_TRUE(TDocumentSnapshot(session.Document) == before) << testCase.Situation;
        const QStringList shown = session.Presenter.Texts();
        ASSERT_EQ(shown.size(), testCase.Messages.size())
            << testCase.Situation << ": " << shown.join(" / ").toStdString();
        for (qsizetype index = 0; index < shown.size(); ++index) {
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^(") + testCase.Messages[index] + QStringLiteral(")$"))
                            .match(shown[index])
                            .hasMatch())
                << testCase.Situation << ": " << shown[index].toStdString();
            EXPECT_EQ(session.Presenter.Messages()[index].Title, u"Warning");
        }
    }
}

TEST(FenkDocument, EmptyAndHeaderOnlyFilesOpenAsEmptyVaultsAndSaveEnciphered)
{
    for (const QByteArray& content : {QByteArray(), QByteArray("FKX2;"), QByteArray("FKX1;")}) {
        TVaultSession session;
        const QString fileName = session.Folder.WriteFile("empty.fkx", content);
        ASSERT_EQ(session.Open(fileName, "pw"), TFenkLoadResult::Loaded) << content.constData();
        EXPECT_TRUE(session.Document.IsFileOpen());
        EXPECT_EQ(session.Document.LoginRowset()->RowCount(), 0);

        ASSERT_EQ(session.Document.SaveFile(), TFenkSaveResult::Saved);
        const QByteArray saved = ReadFile(fileName);
        EXPECT_TRUE(saved.startsWith("FKX2;"));
        EXPECT_GE(saved.size(), 5 + 8);
        EXPECT_EQ((saved.size() - 5) % 8, 0);

        TVaultSession reader;
        EXPECT_EQ(reader.Open(fileName, "other"), TFenkLoadResult::Failed) << "the saved file needs its password";
        EXPECT_EQ(reader.Open(fileName, "pw"), TFenkLoadResult::Loaded);
    }
}

TEST(FenkDocument, OpensTheVaultFilesOfTheVectorsWithTheirRows)
{
    const QJsonArray cases =
        QJsonDocument::fromJson(ReadTestData(QStringLiteral("vectors/manifest.json"))).object()["cases"].toArray();
    ASSERT_EQ(cases.size(), 2);
    for (const QJsonValue& item : cases) {
        const QJsonObject vault = item.toObject();
        TVaultSession session;
        const QString fileName = session.Folder.WriteFile(
            vault["file"].toString(), ReadTestData(QStringLiteral("vectors/") + vault["file"].toString()));
        ASSERT_EQ(session.Open(fileName, vault["password"].toString()), TFenkLoadResult::Loaded)
            << session.Presenter.Texts().join(" / ").toStdString();

        QStringList expected;
        for (const QJsonValue& row : vault["expect"].toObject()["rows"].toArray()) {
            const QJsonObject login = row.toObject();
            expected.append(QString::number(login["id"].toInt()) + QStringLiteral(": ") +
                            QStringList({login["SITE_NAME"].toString(), login["LOGIN_NAME"].toString(),
                                         login["PASSWORD"].toString(), login["NOTE"].toString()})
                                .join(u'|'));
        }
        EXPECT_EQ(DocumentLogins(session.Document), expected);
        EXPECT_EQ(session.Document.FileName(), fileName);
        EXPECT_FALSE(session.Document.DocumentModified());
        EXPECT_TRUE(session.Presenter.Texts().isEmpty());
    }
}

TEST(FenkDocument, AChangedMasterPasswordTakesEffectWithTheNextSave)
{
    TVaultSession session;
    const QString fileName = session.CreateVault("vault.fkx", "old", TwoLogins);
    const QStringList logins = DocumentLogins(session.Document);

    EXPECT_FALSE(session.Document.ChangeMasterPassword()) << "the prompt was cancelled";
    EXPECT_FALSE(session.Document.DocumentModified());

    session.Passwords.AnswerNext("new");
    ASSERT_TRUE(session.Document.ChangeMasterPassword());
    const TPasswordScript::Question& asked = session.Passwords.Questions().back();
    EXPECT_EQ(asked.Caption, u"Change Master Password");
    EXPECT_TRUE(asked.IsNew);
    EXPECT_EQ(asked.FileName, fileName);
    EXPECT_TRUE(session.Document.EnabledCommands().SaveFile);
    {
        TVaultSession reader;
        EXPECT_EQ(reader.Open(fileName, "old"), TFenkLoadResult::Loaded) << "not saved yet";
    }

    ASSERT_EQ(session.Document.SaveFile(), TFenkSaveResult::Saved);
    EXPECT_FALSE(session.Document.DocumentModified());
    TVaultSession reader;
    EXPECT_EQ(reader.Open(fileName, "old"), TFenkLoadResult::Failed);
    EXPECT_EQ(reader.Open(fileName, "new"), TFenkLoadResult::Loaded);
    EXPECT_EQ(DocumentLogins(reader.Document), logins);
}

TEST(FenkDocument, NewFileAsksBeforeOpeningAnExistingFile)
{
    TVaultSession session;
    const QString existing = session.CreateVault("existing.fkx", "pw", TwoLogins);
    session.Document.CloseFile();
    const std::size_t questions = session.Passwords.Questions().size();
    session.Presenter.Clear();

    session.Presenter.AnswerNext(false);
    EXPECT_EQ(session.Document.NewFile(existing), TFenkLoadResult::Cancelled);
    EXPECT_EQ(session.Presenter.Texts(), QStringList{"Open existing file?"});
    EXPECT_EQ(session.Passwords.Questions().size(), questions);
    EXPECT_FALSE(session.Document.Crypt().HasKey());

    session.Presenter.AnswerNext(true);
    session.Passwords.AnswerNext("pw");
    EXPECT_EQ(session.Document.NewFile(existing), TFenkLoadResult::Loaded);
    EXPECT_FALSE(session.Passwords.Questions().back().IsNew);
    EXPECT_EQ(session.Document.LoginRowset()->RowCount(), 2);
}

TEST(FenkDocument, NewFileCreatesAnEmptyVaultUnlockedWithANewPassword)
{
    TVaultSession session;
    const QString fileName = session.Folder.FilePath("new.fkx");
    session.Passwords.AnswerNext("pw");
    ASSERT_EQ(session.Document.NewFile(fileName), TFenkLoadResult::Loaded);
    const TPasswordScript::Question& asked = session.Passwords.Questions().back();
    EXPECT_EQ(asked.Caption, u"Unlock File");
    EXPECT_TRUE(asked.IsNew);
    EXPECT_EQ(asked.FileName, fileName);
    EXPECT_GT(QFileInfo(fileName).size(), 0) << "written enciphered at once";
    EXPECT_EQ(session.Document.FileName(), fileName);
    EXPECT_FALSE(session.Document.DocumentModified());
    EXPECT_TRUE(session.Document.IsFileOpen());

    const QString cancelled = session.Folder.FilePath("cancelled.fkx");
    EXPECT_EQ(session.Document.NewFile(cancelled), TFenkLoadResult::Cancelled);
    EXPECT_FALSE(QFile::exists(cancelled)) << "a file nobody unlocked is removed";
    EXPECT_EQ(session.Document.FileName(), fileName);

    EXPECT_EQ(session.Document.NewFile(session.Folder.FilePath("no/such/folder.fkx")), TFenkLoadResult::Failed);
    EXPECT_EQ(session.Presenter.Texts(), QStringList{"File save error"});
    EXPECT_EQ(session.Document.FileName(), fileName);
}

// An empty file opens with any password: a mistyped password at the next open would become the key of every login
// saved after it.
TEST(FenkDocument, ANewVaultOpensOnlyWithItsMasterPasswordEvenBeforeTheFirstSave)
{
    TVaultSession session;
    const QString fileName = session.Folder.FilePath("new.fkx");
    session.Passwords.AnswerNext("right");
    ASSERT_EQ(session.Document.NewFile(fileName), TFenkLoadResult::Loaded);
    session.Document.CloseFile();

    TVaultSession reader;
    EXPECT_EQ(reader.Open(fileName, "wrong"), TFenkLoadResult::Failed);
    EXPECT_EQ(reader.Presenter.Texts(), QStringList{"Invalid password"});
    EXPECT_EQ(reader.Open(fileName, "right"), TFenkLoadResult::Loaded);
    EXPECT_EQ(reader.Document.LoginRowset()->RowCount(), 0);
}

TEST(FenkDocument, ANewVaultThatCannotBeWrittenLeavesNoFileAndNoKey)
{
    TVaultSession session;
    const QString fileName = session.Folder.FilePath("new.fkx");
    session.Passwords.AnswerNext("pw");
    InjectSaveFailure(TNESaveStep::WriteContent);
    EXPECT_THROW(session.Document.NewFile(fileName), ENESystemErr);
    InjectSaveFailure(std::nullopt);
    EXPECT_FALSE(QFile::exists(fileName));
    EXPECT_FALSE(session.Document.Crypt().HasKey());
    EXPECT_EQ(session.Document.FileName(), QFileInfo(fileName).absolutePath() + u'/');
}

// A sync tool or an unmounted folder can take the file away while it is open: the unsaved logins are not lost.
TEST(FenkDocument, AVanishedVaultIsSavedAnewAndAFailedSaveLeavesNoEmptyFile)
{
    TVaultSession session;
    const QString fileName = session.CreateVault("vault.fkx", "pw", TwoLogins);
    ASSERT_TRUE(QFile::remove(fileName));
    AddLogin(session.Document, {"site", "login", "pw", ""});
    EXPECT_EQ(EnabledNames(session.Document.EnabledCommands()), QStringList({"Open", "New", "Save", "Exit"}));
    InjectSaveFailure(TNESaveStep::WriteContent);
    EXPECT_THROW(session.Document.SaveFile(), ENESystemErr);
    InjectSaveFailure(std::nullopt);
    EXPECT_FALSE(QFile::exists(fileName));
    EXPECT_TRUE(session.Document.DocumentModified());

    session.Presenter.Clear();
    EXPECT_EQ(session.Document.SaveFile(), TFenkSaveResult::Saved);
    EXPECT_TRUE(session.Presenter.Texts().isEmpty()) << "a vanished file was changed by nobody";
    EXPECT_EQ(Permissions(fileName), mode_t(0600));
    TVaultSession reader;
    EXPECT_EQ(reader.Open(fileName, "pw"), TFenkLoadResult::Loaded);
    EXPECT_EQ(reader.Document.LoginRowset()->RowCount(), 3);
}

TEST(FenkDocument, CloseAsksOnlyForUnsavedChangesAndKeepsTheFolder)
{
    TVaultSession session;
    const QString fileName = session.CreateVault("vault.fkx", "pw", TwoLogins);
    session.Presenter.Clear();

    AddLogin(session.Document, {"unsaved", "row", "pw", ""});
    session.Presenter.AnswerNext(false);
    EXPECT_FALSE(session.Document.CloseFile());
    EXPECT_EQ(session.Presenter.Texts(), QStringList{"Discard changes in current file?"});
    EXPECT_TRUE(session.Document.IsFileOpen());
    EXPECT_TRUE(session.Document.DocumentModified());
    EXPECT_EQ(session.Document.LoginRowset()->RowCount(), 3);

    ASSERT_EQ(session.Document.SaveFile(), TFenkSaveResult::Saved);
    session.Presenter.Clear();
    EXPECT_TRUE(session.Document.CloseFile());
    EXPECT_TRUE(session.Presenter.Texts().isEmpty());
    EXPECT_FALSE(session.Document.Crypt().HasKey());
    EXPECT_FALSE(session.Document.DocumentModified());
    EXPECT_EQ(session.Document.LoginRowset()->RowCount(), 0);
    EXPECT_EQ(session.Document.FileName(), session.Folder.Path() + u'/');
    EXPECT_EQ(session.Document.Folder(), session.Folder.Path() + u'/');

    EXPECT_EQ(session.Document.SaveFile(), TFenkSaveResult::Failed) << "the file name names a folder";
    EXPECT_EQ(session.Presenter.Texts(), QStringList{"File save error"});
    EXPECT_FALSE(session.Document.ChangeMasterPassword()) << "no file is open";
    EXPECT_EQ(ReadFile(fileName).left(5), "FKX2;");

    session.Document.SetStartFolder(QStringLiteral("/srv/vaults"));
    EXPECT_EQ(session.Document.FileName(), u"/srv/vaults/");
    session.Passwords.AnswerNext("pw");
    ASSERT_EQ(session.Document.LoadFromFile(fileName, false), TFenkLoadResult::Loaded);
    session.Document.SetStartFolder(QStringLiteral("/srv/vaults"));
    EXPECT_EQ(session.Document.FileName(), fileName) << "an open file keeps its name";
}

TEST(FenkDocument, ExitAsksOnlyForUnsavedChanges)
{
    TVaultSession session;
    session.CreateVault("vault.fkx", "pw", {});
    EXPECT_TRUE(session.Document.ConfirmExit());
    AddLogin(session.Document, TwoLogins[0]);
    session.Presenter.Clear();
    session.Presenter.AnswerNext(false);
    EXPECT_FALSE(session.Document.ConfirmExit());
    session.Presenter.AnswerNext(true);
    EXPECT_TRUE(session.Document.ConfirmExit());
    EXPECT_EQ(session.Presenter.Texts(), QStringList({"Exit without saving?", "Exit without saving?"}));
}

TEST(FenkDocument, ProgressReachesTheCallerAndAbortLeavesDocumentAndFileAsTheyWere)
{
    TVaultSession session;
    const QString fileName = session.CreateVault("vault.fkx", "pw", TwoLogins);
    TProgressProbe watcher;
    session.Document.OnProgress = watcher.Handler();
    ASSERT_EQ(session.Open(fileName, "pw"), TFenkLoadResult::Loaded);
    EXPECT_GE(watcher.Reports(), 2);
    EXPECT_GT(watcher.LastTotal(), 0);

    AddLogin(session.Document, {"unsaved", "row", "pw", ""});
    const TDocumentSnapshot before(session.Document);
    const QByteArray saved = ReadFile(fileName);
    TProgressProbe saveAborter(1);
    session.Document.OnProgress = saveAborter.Handler();

    EXPECT_THROW(session.Document.SaveFile(), ENEAbort);
    EXPECT_EQ(ReadFile(fileName), saved);
    EXPECT_TRUE(session.Document.DocumentModified());

    TProgressProbe loadAborter(1);
    session.Document.OnProgress = loadAborter.Handler();
    session.Passwords.AnswerNext("pw");
    EXPECT_EQ(session.Document.LoadFromFile(fileName, false), TFenkLoadResult::Cancelled);
    EXPECT_TRUE(TDocumentSnapshot(session.Document) == before);
}

TEST(FenkDocument, ASaveOverAFileAnotherProgramChangedAsksFirst)
{
    const auto saveInAnotherWindow = [](const QString& FileName) {
        TVaultSession other;
        ASSERT_EQ(other.Open(FileName, "pw"), TFenkLoadResult::Loaded);
        AddLogin(other.Document, {"theirs", "login", "pw", ""});
        other.Document.SaveFile();
    };
    const auto flipLastByte = [](const QString& FileName) {
        QByteArray bytes = ReadFile(FileName);
        bytes.back() = char(bytes.back() ^ 1);
        Rewrite(FileName, bytes);
    };
    const struct
    {
        const char* Change;
        std::function<void(const QString&)> ChangeFile;
        std::optional<bool> Answer; // none: nothing is asked
    } cases[] = {
        {"nothing", [](const QString&) {}, std::nullopt},
        {"saved in another window, keep theirs", saveInAnotherWindow, false},
        {"saved in another window, overwrite", saveInAnotherWindow, true},
        {"other bytes of the same size and time", flipLastByte, false},
        {"a new time alone",
         [](const QString& FileName) {
             Rewrite(FileName, std::nullopt, timespec{12345, 0});
         },
         true},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Change);
        TVaultSession session;
        const QString fileName = session.CreateVault("vault.fkx", "pw", TwoLogins);
        AddLogin(session.Document, {"ours", "login", "pw", ""});
        testCase.ChangeFile(fileName);
        const QByteArray onDisk = ReadFile(fileName);
        session.Presenter.Clear();
        const bool isKept = testCase.Answer == false;
        for (int save = 0; save < 2; ++save) { // a file once saved over is ours; one kept is asked about again
            if (testCase.Answer && (save == 0 || isKept))
                session.Presenter.AnswerNext(*testCase.Answer);
            EXPECT_EQ(session.Document.SaveFile(), isKept ? TFenkSaveResult::Cancelled : TFenkSaveResult::Saved);
            EXPECT_EQ(session.Document.DocumentModified(), isKept);
            AddLogin(session.Document, {"more", "login", "pw", ""});
        }
        const QStringList asked(testCase.Answer ? (isKept ? 2 : 1) : 0,
                                u"The file was changed by another program. Overwrite it?"_qs);
        EXPECT_EQ(session.Presenter.Texts(), asked);
        TVaultSession reader;
        ASSERT_EQ(reader.Open(fileName, "pw"), TFenkLoadResult::Loaded);
        if (isKept) {
            EXPECT_EQ(ReadFile(fileName), onDisk) << "their version stays";
        } else {
            EXPECT_EQ(reader.Document.LoginRowset()->RowCount(), 4) << "ours, saved twice";
        }
    }
}

TEST(FenkDocument, OnlyRegularFilesAreOpenedOrCreated)
{
    const QString refused = QStringLiteral("File lock error: Not a regular file");
    TVaultSession session;
    const QString fifo = session.Folder.FilePath("fifo.fkx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& fileName : {fifo, session.Folder.Path()}) {
        session.Presenter.Clear();
        EXPECT_EQ(session.Open(fileName, "pw"), TFenkLoadResult::Failed) << fileName.toStdString();
        EXPECT_EQ(session.Document.NewFile(fileName), TFenkLoadResult::Failed) << fileName.toStdString();
        EXPECT_EQ(session.Presenter.Texts(), QStringList({refused, refused})) << fileName.toStdString();
    }
}

// The save fails as every failing save does: the message reaches the default handler.
TEST(FenkDocument, AReadOnlyVaultIsNotReplacedAndItsChangesStay)
{
    TVaultSession session;
    const QString fileName = session.CreateVault("vault.fkx", "pw", TwoLogins);
    AddLogin(session.Document, {"unsaved", "login", "pw", ""});
    ASSERT_EQ(::chmod(QFile::encodeName(fileName).constData(), 0400), 0);
    const QByteArray before = ReadFile(fileName);
    try {
        session.Document.SaveFile();
        ADD_FAILURE() << "a read-only vault was replaced";
    } catch (const ENESystemErr& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Permission denied"));
    }
    EXPECT_TRUE(session.Document.DocumentModified());
    EXPECT_EQ(ReadFile(fileName), before);
    EXPECT_EQ(Permissions(fileName), mode_t(0400));
}

// Every warning, question and error of the document on a vault of distinctive secrets, shown and logged at the
// most detailed level, names what went wrong and never a master password, a login's password or a note; a failed
// save leaves the vault byte-identical, modified and savable.
TEST(FenkDocument, NoSecretReachesTheMessagesOrTheLog)
{
    const QString master = u"Mq4-master-secret"_qs;
    const QString wrong = u"Wd6-wrong-master-secret"_qs;
    const QStringList login = {u"site"_qs, u"user"_qs, u"Pz2-login-secret"_qs, u"Nt3-note-secret"_qs};
    TVaultSession session;
    const QString log = session.Folder.FilePath(u"fenk.log"_qs);
    const QString previousLog = LogFileName();
    const int previousLevel = LogLevel;
    SetLogFileName(log);
    LogLevel = mkInformation;
    const auto restoreLog = qScopeGuard([&] {
        SetLogFileName(previousLog);
        LogLevel = previousLevel;
    });

    const QString fileName = session.CreateVault(u"vault.fkx"_qs, master, {login});
    AddLogin(session.Document, {u"more"_qs, u"user"_qs, u"Pz2-login-secret"_qs, u"Nt3-note-secret"_qs});
    const QByteArray saved = ReadFile(fileName);
    const struct
    {
        TNESaveStep Step;
        int Error;
        std::int64_t AfterBytes;
    } failures[] = {{TNESaveStep::WriteContent, ENOSPC, 20}, {TNESaveStep::SyncTemporary, EIO, 0}};
    for (const auto& failure : failures) {
        InjectSaveFailure(failure.Step, failure.Error, failure.AfterBytes);
        EXPECT_THROW(session.Document.SaveFile(), ENESystemErr);
        EXPECT_EQ(ReadFile(fileName), saved);
        EXPECT_TRUE(session.Document.DocumentModified());
        EXPECT_TRUE(session.Document.EnabledCommands().SaveFile);
    }
    InjectSaveFailure(TNESaveStep::SyncFolder);
    EXPECT_EQ(session.Document.SaveFile(), TFenkSaveResult::Saved);
    // Changed by another program: asked, and kept.
    Rewrite(fileName, std::nullopt, timespec{12345, 0});
    AddLogin(session.Document, login);
    session.Presenter.AnswerNext(false);
    EXPECT_EQ(session.Document.SaveFile(), TFenkSaveResult::Cancelled);
    EXPECT_FALSE(session.Document.ConfirmDiscardChanges());

    TVaultSession reader;
    EXPECT_EQ(reader.Open(fileName, wrong), TFenkLoadResult::Failed);
    const QByteArray vault = ReadFile(fileName);
    for (const QByteArray& damaged : {vault.left(vault.size() - 3), vault.left(vault.size() / 2 / 8 * 8 + 5)})
        EXPECT_EQ(reader.Open(session.Folder.WriteFile(u"damaged.fkx"_qs, damaged), master), TFenkLoadResult::Failed);
    {
        const TLockHolder writer(fileName, LOCK_EX);
        EXPECT_EQ(reader.Open(fileName, master), TFenkLoadResult::Failed);
    }

    QStringList shown = session.Presenter.Texts() + reader.Presenter.Texts();
    EXPECT_EQ(shown.size(), 6) << shown.join(u'\n').toStdString();
    const QString logged = QString::fromUtf8(ReadFile(log));
    EXPECT_TRUE(logged.contains(u"Invalid password")) << logged.toStdString();
    for (const QString& secret : {master, wrong, login[2], login[3]}) {
        EXPECT_FALSE(shown.join(u'\n').contains(secret)) << shown.join(u'\n').toStdString();
        EXPECT_FALSE(logged.contains(secret)) << logged.toStdString();
    }
}
