#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Base of every error the system raises: a fixed message and the class's own name, which the log reports.
class ENEException : public std::exception
{
public:
    explicit ENEException(QString Message);

    const QString& Message() const { return Message_; }
    virtual QString ClassName() const { return QStringLiteral("ENEException"); }
    const char* what() const noexcept override { return What_.constData(); }

private:
    QString Message_;
    QByteArray What_;
};

// Ends a command quietly: the application's default handler shows nothing for it.
class ENEAbort : public ENEException
{
public:
    ENEAbort() : ENEException(QString()) {}
    QString ClassName() const override { return QStringLiteral("ENEAbort"); }
};

// A failure of the operating system (open, read, write, lock), carrying the system's own text captured at the
// failing call.
class ENESystemErr : public ENEException
{
public:
    explicit ENESystemErr(QString SystemMessage) : ENEException(std::move(SystemMessage)) {}
    QString ClassName() const override { return QStringLiteral("ENESystemErr"); }

    // The message of the last failed POSIX call, read from errno.
    static ENESystemErr FromErrno();
};

// Declares an error class with its fixed message; a class with several messages passes another one in.
#define NE_DECLARE_ERROR(Name, Base, Text)                                                                           \
    class Name : public Base                                                                                         \
    {                                                                                                                \
    public:                                                                                                          \
        explicit Name(QString Message = QStringLiteral(Text)) : Base(std::move(Message)) {}                          \
        QString ClassName() const override { return QStringLiteral(#Name); }                                         \
    }
