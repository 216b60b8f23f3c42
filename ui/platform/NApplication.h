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

private:
    void ShowError(QString Message) const;

    QString Title_;
};

// The title of the running TNEApplication; the application name when there is none.
QString ApplicationTitle();
