// Renders the prompt and both modes of the master password dialog to PNG files in the folder given on the command
// line, each while it runs modally with some text typed, so a person can check their layout.

#include "app/FenkPasswordDlg.h"
#include "ui/platform/NApplication.h"

#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

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
    const bool saved = ShootPrompt(folder) &&
                       ShootPasswordDialog(folder, QStringLiteral("password-unlock.png"), false,
                                           QStringLiteral("/home/ann/vault.fkx")) &&
                       ShootPasswordDialog(folder, QStringLiteral("password-new.png"), true, longPath);
    return saved ? 0 : 1;
}
