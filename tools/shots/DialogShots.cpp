// Renders the prompt, both modes of the master password dialog, both modes of the file locator, the row editor and
// the row picker to PNG files in the folder given on the command line, each while it runs modally with some text
// typed, so a person can check their layout.

#include "app/FenkDocument.h"
#include "app/FenkPasswordDlg.h"
#include "foundation/NFieldList.h"
#include "foundation/NFileUtilities.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NEdit.h"
#include "ui/lists/NListPanel.h"
#include "ui/lists/NLocator.h"
#include "ui/platform/NApplication.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

// Runs Fill on the next modal dialog once it shows, saves a picture of it as Name in Folder and closes it.
class TShot
{
public:
    TShot(const QDir& Folder, const QString& Name, std::function<void()> Fill)
        : Path_(Folder.filePath(Name)), Fill_(std::move(Fill))
    {
        QTimer::singleShot(0, [this] { Take(); });
    }

    bool IsSaved() const { return Saved_; }

private:
    void Take()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, [this] { Take(); });
            return;
        }
        Fill_();
        Saved_ = dialog->grab().save(Path_, "PNG");
        std::printf("%s %s\n", Saved_ ? "wrote" : "could not write", qPrintable(Path_));
        dialog->reject();
    }

    QString Path_;
    std::function<void()> Fill_;
    bool Saved_ = false;
};

bool ShootPrompt(const QDir& Folder)
{
    TNEPromptText prompt;
    prompt.Caption = QStringLiteral("New Folder");
    TShot shot(Folder, QStringLiteral("prompt.png"), [] {});
    QString text = QStringLiteral("Letters of 2024");
    prompt.Execute(text);
    return shot.IsSaved();
}

bool ShootPasswordDialog(const QDir& Folder, const QString& Name, bool IsNew, const QString& FileName)
{
    TPasswordDlg dialog;
    dialog.Form().setWindowTitle(QStringLiteral("Unlock File"));
    dialog.IsNew = IsNew;
    dialog.SetFileName(FileName);
    TShot shot(Folder, Name, [&dialog] {
        dialog.PasswordEdit()->setText(QStringLiteral("example"));
        dialog.VerifyEdit()->setText(QStringLiteral("exam"));
    });
    dialog.Execute();
    return shot.IsSaved();
}

// A folder of vaults as a user keeps them: three subfolders, four vault files (one with a name that had to be
// percent-encoded), a hidden one and a text file the masks do not accept, each with its own time.
bool MakeVaultFolder(const QString& Folder)
{
    QDir folder(Folder);
    for (const char* name : {"Archive", "Family", "Work"}) {
        if (!folder.mkpath(QString::fromLatin1(name)))
            return false;
    }
    const struct
    {
        const char* Name;
        int Size;
        int DaysAgo;
    } files[] = {{"household.fkx", 18'432, 2},        {"work.fkx", 7'936, 40},    {"travel 2024.fkx", 3'584, 180},
                 {"club%3A members.fkx", 1'280, 400}, {".recovery.fkx", 896, 12}, {"notes.txt", 312, 1}};
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto& file : files) {
        QFile output(folder.filePath(QString::fromLatin1(file.Name)));
        if (!output.open(QIODevice::WriteOnly) || output.write(QByteArray(file.Size, 'x')) != file.Size ||
            !output.flush())
            return false;
        output.setFileTime(now.addDays(-file.DaysAgo).addSecs(-3600 * file.DaysAgo), QFileDevice::FileModificationTime);
    }
    return true;
}

// Shows vault files by their decoded names, as the main window does.
class TVaultCaptions : public QObject
{
public:
    void Filter(TNELocator&, const TNESearchRec& Entry, QString& Caption, bool&)
    {
        if (!Entry.IsFolder() && Entry.Name.endsWith(QStringLiteral(".fkx"), Qt::CaseInsensitive))
            Caption = PercentDecode(Entry.Name);
    }
};

bool ShootLocator(const QDir& Folder, const QString& Name, bool SaveMode, const QString& VaultFolder)
{
    TVaultCaptions captions;
    TNELocator locator;
    locator.SaveMode = SaveMode;
    locator.Form().setWindowTitle(SaveMode ? QStringLiteral("New Fenk File") : QStringLiteral("Open Fenk File"));
    locator.Form().resize(qRound(DefaultFormWidth() * 0.8), qRound(DefaultFormHeight() * 0.9));
    locator.SetSortMode(1);
    locator.OnFilter = {&captions, &TVaultCaptions::Filter};
    locator.SetPath(VaultFolder + QStringLiteral("/*.fkx"));
    locator.SetMasks(QStringLiteral("fkx"));
    TShot shot(Folder, Name, [&locator, SaveMode] {
        if (SaveMode)
            locator.FileNameEdit().setText(QStringLiteral("shared with Sam.fkx"));
        else
            SelectListItem(&locator.ListView(), 4);
    });
    locator.Execute();
    return shot.IsSaved();
}

// The row editor inserting a login, all four fields filled in and a note of three lines.
bool ShootLoginEditor(const QDir& Folder)
{
    TFenkDocument document({});
    TNERowset& logins = *document.Store().FindRowset(document.Store().FindRowsetID(LoginRowsetName));
    TNERowEditor editor;
    TShot shot(Folder, QStringLiteral("row-editor-login.png"), [&editor] {
        const QStringList values = {QStringLiteral("mail.example.org"), QStringLiteral("ann.smith"),
                                    QStringLiteral("correct horse battery staple")};
        for (int column = 0; column < 3; ++column)
            qobject_cast<QLineEdit*>(editor.Editors()[std::size_t(column)]->FocusControl())->setText(values[column]);
        qobject_cast<QPlainTextEdit*>(editor.Editors()[3]->FocusControl())
            ->setPlainText(QStringLiteral("Recovery codes in the drawer\nSecurity question: first pet\nRenew in May"));
    });
    editor.Execute(logins, -1);
    return shot.IsSaved();
}

// Accounts with shared tags and ranked recovery codes of their own, for the pictures of the link page and the
// picker.
struct TAccountStore
{
    TAccountStore()
    {
        const QString text =
            JoinItems({JoinItems({QStringLiteral("Text"), QStringLiteral("TEXT"), QStringLiteral("STR")})});
        Accounts = Store.FindRowset(Store.CreateRowset(u"Account", u"ACCOUNT", text, rmActive));
        Tags = Store.FindRowset(Store.CreateRowset(u"Tag", u"TAG", text, rmActive));
        TNERowset* codes = Store.FindRowset(Store.CreateRowset(u"Recovery code", u"CODE", text, rmActive));
        TNERowset* tagLinks =
            Store.FindRowset(Store.CreateLinkRowset(u"Tags", u"ACCOUNT", loSorted, lkShared, rmActive, u"T", u"TAG"));
        TNERowset* codeLinks = Store.FindRowset(
            Store.CreateLinkRowset(u"Recovery codes", u"ACCOUNT", loRanked, lkUnique, rmActive, u"C", u"CODE"));
        Accounts->InsertRow(JoinItems({QStringLiteral("Bank of the North")}));
        for (const char* tag : {"Banking", "Family", "Shared with Sam", "Work", "Travel"})
            Tags->InsertRow(JoinItems({QString::fromLatin1(tag)}));
        for (const char* code : {"7HQ2-K9PL", "M3XR-2TWD", "QF8N-6BZC"})
            codeLinks->InsertRow(JoinItems(
                {QStringLiteral("0"), QString::number(codes->InsertRow(JoinItems({QString::fromLatin1(code)})))}));
        for (const char* tag : {"0", "2"})
            tagLinks->InsertRow(JoinItems({QStringLiteral("0"), QString::fromLatin1(tag)}));
    }

    TNEStore Store;
    TNERowset* Accounts;
    TNERowset* Tags;
};

// The row editor on an account with its page of tags shown.
bool ShootLinkPage(const QDir& Folder)
{
    TAccountStore accounts;
    TNERowEditor editor;
    editor.Form().resize(DefaultFormWidth() * 4 / 5, DefaultFormHeight() * 4 / 5);
    TShot shot(Folder, QStringLiteral("row-editor-links.png"), [&editor] {
        QTreeWidgetItem* root = editor.PageTree().topLevelItem(0);
        editor.PageTree().setCurrentItem(root->child(root->childCount() - 1));
    });
    editor.Execute(*accounts.Accounts, 0);
    return shot.IsSaved();
}

// The picker of tags in multi mode, two of them picked.
bool ShootPicker(const QDir& Folder)
{
    TAccountStore accounts;
    TNEVirtualRowset rows(*accounts.Tags);
    for (const std::int32_t id : {0, 2})
        rows.Add(accounts.Tags->FindRow(id));
    TNERowPicker picker;
    picker.Form().resize(DefaultFormWidth() * 3 / 5, DefaultFormHeight() * 3 / 5);
    picker.SetMultiPick(true);
    TShot shot(Folder, QStringLiteral("row-picker-multi.png"), [] {});
    picker.Execute(rows);
    return shot.IsSaved();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TNEApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Fenk"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    const QString longPath = QStringLiteral("/home/ann/Documents/Household/Accounts and contracts/2024/vault.fkx");
    const QTemporaryDir home;
    const QString vaults = home.filePath(QStringLiteral("Vaults"));
    if (!home.isValid() || !MakeVaultFolder(vaults)) {
        std::fprintf(stderr, "cannot make the vault folder of the locator's pictures\n");
        return 1;
    }
    const bool saved = ShootPrompt(folder) &&
                       ShootPasswordDialog(folder, QStringLiteral("password-unlock.png"), false,
                                           QStringLiteral("/home/ann/vault.fkx")) &&
                       ShootPasswordDialog(folder, QStringLiteral("password-new.png"), true, longPath) &&
                       ShootLocator(folder, QStringLiteral("locator-open.png"), false, vaults) &&
                       ShootLocator(folder, QStringLiteral("locator-save.png"), true, vaults) &&
                       ShootLoginEditor(folder) && ShootLinkPage(folder) && ShootPicker(folder);
    return saved ? 0 : 1;
}
