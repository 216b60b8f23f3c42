#include "ui/platform/NMessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

bool CanShowBoxes()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// Runs a box owned by the active window; while the program is closing down it has no owner.
QMessageBox::StandardButton RunBox(QMessageBox::Icon Icon, const QString& Title, const QString& Text,
                                   QMessageBox::StandardButtons Buttons, QMessageBox::StandardButton Default)
{
    QWidget* owner = QCoreApplication::closingDown() ? nullptr : QApplication::activeWindow();
    QMessageBox box(Icon, Title, Text, Buttons, owner);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(Default);
    // Escape answers a question with No, whatever the default.
    box.setEscapeButton(Buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok);
    box.exec();
    return box.standardButton(box.clickedButton());
}

} // namespace

void TNEMessageBoxPresenter::ShowMessage(TNEMessageKind Kind, const QString& Text)
{
    struct KindLook
    {
        const char* Title;
        QMessageBox::Icon Icon;
    };
    static constexpr KindLook looks[] = {
        {"Error", QMessageBox::Critical},
        {"Warning", QMessageBox::Warning},
        {"Information", QMessageBox::Information},
    };
    if (!CanShowBoxes())
        return;
    const KindLook& look = (Kind >= mkError && Kind <= mkInformation) ? looks[Kind] : looks[mkError];
    RunBox(look.Icon, QString::fromLatin1(look.Title), Text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TNEMessageBoxPresenter::AskYesNo(const QString& Text, bool Default)
{
    if (!CanShowBoxes())
        return Default;
    return RunBox(QMessageBox::Question, QStringLiteral("Confirm"), Text, QMessageBox::Yes | QMessageBox::No,
                  Default ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

void TNEMessageBoxPresenter::ShowTitledMessage(const QString& Title, const QString& Text)
{
    if (CanShowBoxes())
        RunBox(QMessageBox::Critical, Title, Text, QMessageBox::Ok, QMessageBox::Ok);
}
