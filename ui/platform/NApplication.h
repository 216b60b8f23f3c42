#pragma once

#include <QApplication>
#include <QString>

#include <exception>

// The program's application object: its title, key preview for the forms, and the default handler for an
// exception that no command catches, so one failing command never ends the program.
class TNEApplication : public QApplication
{
    Q_OBJECT

public:
    TNEApplication(int& ArgumentCount, char** Arguments);

    const QString& Title() const { return Title_; }
    void SetTitle(const QString& Value) { Title_ = Value; }

    // Delivers every event, giving forms their key preview first; an exception escaping a receiver goes to
    // HandleException and delivery goes on.
    bool notify(QObject* Receiver, QEvent* Event) override;

    // Shows nothing for a silent abort; otherwise an error box titled with the application title holding the
    // message, with a full stop appended when its last character sorts after the full stop.
    void HandleException(const std::exception& Error) const;
    // HandleException for the exception being handled; called inside a catch block.
    void HandleCurrentException() const;

private:
    void ShowError(QString Message) const;

    QString Title_;
};

// The title of the running TNEApplication; the application name when there is none.
QString ApplicationTitle();

// Runs the work of one of our event handlers (a click, a key) so that an exception it raises goes straight to the
// application's default handler: unwinding through Qt's event delivery is not exception-safe and leaks its state.
// Without a TNEApplication the exception passes on.
template <typename Work> void RunEventHandler(Work&& HandlerWork)
{
    try {
        HandlerWork();
    } catch (...) {
        const auto* application = qobject_cast<TNEApplication*>(QCoreApplication::instance());
        if (!application)
            throw;
        application->HandleCurrentException();
    }
}
