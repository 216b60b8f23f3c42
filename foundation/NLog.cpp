#include "foundation/NLog.h"

#include "foundation/NException.h"
#include "foundation/NStruct.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTime>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace {

// Shows nothing; questions fall back to their default answer. In force until a presenter is installed.
class TNESilentPresenter final : public TNEPromptPresenter
{
public:
    void ShowMessage(TNEMessageKind, const QString&) override {}
    bool AskYesNo(const QString&, bool Default) override { return Default; }
    void ShowTitledMessage(const QString&, const QString&) override {}
};

TNESilentPresenter SilentPresenter;
TNEPromptPresenter* InstalledPresenter = &SilentPresenter;

constexpr int MaxSystemMessageLength = 64;

QString& LogFileNameStorage()
{
    static QString fileName = LogFileNameFor(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    return fileName;
}

// An error code left over from before the program's own work must not appear in its first report.
[[maybe_unused]] const bool ErrorCodeCleared = [] {
    errno = 0;
    return true;
}();

QString KindPrefix(int Kind)
{
    switch (Kind) {
    case mkError:
        return QStringLiteral("Err: ");
    case mkWarning:
        return QStringLiteral("War: ");
    case mkInformation:
        return QStringLiteral("Inf: ");
    default:
        return {};
    }
}

// The locale's long time format without its time zone.
QString LongTimeFormatWithoutZone(const QLocale& Locale)
{
    const QString format = Locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar character : format) {
        if (character == u'\'')
            quoted = !quoted;
        if (quoted || character != u't')
            result.append(character);
    }
    return result.trimmed();
}

QString OneLine(const QString& Text)
{
    QString line = Text;
    for (QChar& character : line) {
        if (character == u'\t' || character == u'\n' || character == u'\r')
            character = u' ';
    }
    return Trim(line);
}

void AppendToLog(const QString& FileName, const QString& Line)
{
    const QFileInfo log(FileName);
    if (!QDir().mkpath(log.absolutePath()))
        return;
    QFile file(FileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return;
    file.write(Line.toUtf8());
}

TNEMessageKind BoxKind(int Kind)
{
    return Kind == mkError || Kind == mkWarning ? TNEMessageKind(Kind) : mkInformation;
}

QString ClassNameOf(const std::exception& Exception)
{
    if (const auto* own = dynamic_cast<const ENEException*>(&Exception))
        return own->ClassName();
    const char* mangled = typeid(Exception).name();
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                                &std::free);
    return QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
}

QString MessageOf(const std::exception& Exception)
{
    if (const auto* own = dynamic_cast<const ENEException*>(&Exception))
        return own->Message();
    return QString::fromUtf8(Exception.what());
}

QString ApiErrorText(int Code)
{
    if (Code == 0)
        return {};
    QString text = QStringLiteral("Last Linux API Error: (#%1)").arg(Code);
    char buffer[256];
    const QString message = QString::fromLocal8Bit(strerror_r(Code, buffer, sizeof buffer));
    if (!message.isEmpty())
        text += u' ' + message.left(MaxSystemMessageLength);
    return text;
}

// Adds a line to a report; an empty line adds nothing.
void AppendLine(QString& Report, const QString& Line)
{
    if (Line.isEmpty())
        return;
    if (!Report.isEmpty())
        Report += u'\n';
    Report += Line;
}

} // namespace

bool LogEnabled = true;
int LogLevel = mkError;

TNEPromptPresenter* InstallPromptPresenter(TNEPromptPresenter* Presenter)
{
    TNEPromptPresenter* previous = InstalledPresenter;
    InstalledPresenter = Presenter ? Presenter : &SilentPresenter;
    return previous;
}

TNEPromptPresenter& PromptPresenter()
{
    return *InstalledPresenter;
}

QString LogFileNameFor(const QString& ProgramFile)
{
    const QFileInfo program(ProgramFile);
    if (program.fileName().isEmpty())
        return {};
    const QString fileName = program.completeBaseName() + QStringLiteral(".log");
    if (QFileInfo(program.absolutePath()).isWritable())
        return program.absolutePath() + u'/' + fileName;
    QString stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    if (QDir::isRelativePath(stateHome)) // unset, empty or relative: the default
        stateHome = QDir::homePath() + QStringLiteral("/.local/state");
    return stateHome + QStringLiteral("/fenk/") + fileName;
}

QString LogFileName()
{
    return LogFileNameStorage();
}

void SetLogFileName(const QString& FileName)
{
    LogFileNameStorage() = FileName;
}

void WriteLog(int Kind, const QString& Text)
{
    if (!LogEnabled || Kind > LogLevel || LogFileName().isEmpty())
        return;
    // Writing the log must not change the error code a later report shows.
    const int lastError = errno;
    const QLocale locale = QLocale::system();
    const QString line = KindPrefix(Kind) + locale.toString(QDate::currentDate(), QLocale::ShortFormat) + u' ' +
                         QTime::currentTime().toString(LongTimeFormatWithoutZone(locale)) + u' ' + OneLine(Text) +
                         QStringLiteral("\r\n");
    AppendToLog(LogFileName(), line);
    errno = lastError;
}

void ShowNotice(const QString& Text, int Kind, bool Show)
{
    const QString text = Trim(Text);
    WriteLog(Kind, text);
    if (Show)
        PromptPresenter().ShowMessage(BoxKind(Kind), text);
}

void ShowWarning(const QString& Text)
{
    ShowNotice(Text, mkWarning, true);
}

bool Confirm(const QString& Text, bool Ask, bool Default)
{
    const QString text = Trim(Text);
    WriteLog(mkWarning, text);
    const bool answer = Ask ? PromptPresenter().AskYesNo(text, Default) : Default;
    WriteLog(mkWarning, text + (answer ? QStringLiteral(" Yes") : QStringLiteral(" No")) +
                            (Ask ? QStringLiteral(" (selected).") : QStringLiteral(" (defaulted).")));
    return answer;
}

void LogException(const QString& Text, const std::exception* Exception, bool Show, int Place)
{
    const int lastError = errno;
    QString report = Trim(Text);
    if (Exception) {
        const QString message = MessageOf(*Exception);
        if (!message.isEmpty())
            AppendLine(report, ClassNameOf(*Exception) + QStringLiteral(": ") + message);
    }
    AppendLine(report, u'@' + QString::number(Place));
    AppendLine(report, ApiErrorText(lastError));
    ShowNotice(report, mkError, Show);
}

QString LastApiErrorText()
{
    return ApiErrorText(errno);
}
