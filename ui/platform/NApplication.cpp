#include "ui/platform/NApplication.h"

#include "foundation/NException.h"
#include "foundation/NLog.h"
#include "ui/platform/NForm.h"

#include <QKeyEvent>

namespace {

bool IsPreviewedKeyEvent(const QEvent& Event)
{
    return Event.type() == QEvent::KeyPress || Event.type() == QEvent::ShortcutOverride;
}

} // namespace

TNEApplication::TNEApplication(int& ArgumentCount, char** Arguments)
    : QApplication(ArgumentCount, Arguments), Title_(applicationName())
{}

bool TNEApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        if (IsPreviewedKeyEvent(*Event)) {
            TNEForm* form = TNEForm::FormOf(Receiver);
            if (form && form->PreviewKeyEvent(*static_cast<QKeyEvent*>(Event)))
                return true;
        }
        return QApplication::notify(Receiver, Event);
    } catch (...) {
        HandleCurrentException();
    }
    return false;
}

void TNEApplication::HandleCurrentException() const
{
    try {
        throw;
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        ShowError(QStringLiteral("Unexpected error"));
    }
}

void TNEApplication::HandleException(const std::exception& Error) const
{
    if (dynamic_cast<const ENEAbort*>(&Error))
        return;
    const auto* own = dynamic_cast<const ENEException*>(&Error);
    ShowError(own ? own->Message() : QString::fromLocal8Bit(Error.what()));
}

void TNEApplication::ShowError(QString Message) const
{
    if (!Message.isEmpty() && Message.back() > u'.')
        Message += u'.';
    PromptPresenter().ShowTitledMessage(Title_, Message);
}

QString ApplicationTitle()
{
    const auto* application = qobject_cast<TNEApplication*>(QCoreApplication::instance());
    return application ? application->Title() : QCoreApplication::applicationName();
}
