#include "foundation/NLog.h"

#include "foundation/NStruct.h"
#include "tests/support/ScriptedPresenter.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <cerrno>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Logs into a fresh folder and restores the log settings afterwards.
class NLog : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Folder.isValid());
        SetLogFileName(LogPath());
        errno = 0;
    }

    void TearDown() override
    {
        SetLogFileName(PreviousFileName);
        LogLevel = PreviousLevel;
        LogEnabled = true;
    }

    QString LogPath() const { return Folder.filePath(QStringLiteral("fenk.log")); }

    QStringList LogLines() const
    {
        QFile file(LogPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        EXPECT_EQ(lines.takeLast(), QString()); // every line ends with CR LF
        return lines;
    }

    QTemporaryDir Folder;
    TScriptedPresenter Presenter;
    QString PreviousFileName = LogFileName();
    int PreviousLevel = LogLevel;
};

} // namespace

TEST_F(NLog, WritesOnlyErrorsWithTheBuiltInSettings)
{
    ShowNotice(QStringLiteral("  disk full \n"), mkError, false);
    ShowNotice(QStringLiteral("a warning"), mkWarning, true);
    ShowWarning(QStringLiteral("another warning"));
    ShowNotice(QStringLiteral("some information"), mkInformation, true);
    Confirm(QStringLiteral("Discard changes in current file?"), true, false);
    ShowNotice(QStringLiteral("odd kind"), 7, true); // no box of its own: shown as information

    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 1);
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Err: ") + date + u' ')) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" disk full"))) << lines[0].toStdString();
    ASSERT_EQ(Presenter.Messages().size(), 5u);
    EXPECT_EQ(Presenter.Messages()[4].Title, QStringLiteral("Information"));
    EXPECT_EQ(QFileInfo(LogPath()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());
}

TEST_F(NLog, LogsOneLineAndShowsTheLineBreaks)
{
    LogLevel = mkInformation;
    ShowNotice(QStringLiteral("\t first line\nsecond\tline\r\nthird \n"), mkError, true);
    ShowNotice(QStringLiteral("careful"), mkWarning, false);
    ShowNotice(QStringLiteral("note"), mkInformation, false);
    WriteLog(7, QStringLiteral("unknown kind")); // beyond the level: not written
    WriteLog(-1, QStringLiteral("no prefix"));

    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 4);
    const struct
    {
        const char* Prefix;
        const char* Text;
    } expected[] = {
        {"Err: ", " first line second line  third"},
        {"War: ", " careful"},
        {"Inf: ", " note"},
        {"", " no prefix"},
    };
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString& line = lines[index];
        EXPECT_TRUE(line.startsWith(QString::fromLatin1(expected[index].Prefix) + date + u' ')) << line.toStdString();
        EXPECT_TRUE(line.endsWith(QString::fromLatin1(expected[index].Text))) << line.toStdString();
        // Between date and text stands the time, without a time zone.
        const qsizetype timeStart = QString::fromLatin1(expected[index].Prefix).size() + date.size() + 1;
        const QString time = line.mid(timeStart, line.size() - timeStart - qstrlen(expected[index].Text));
        EXPECT_TRUE(time.contains(u':')) << line.toStdString();
        EXPECT_FALSE(time.contains(QStringLiteral("UTC")) || time.contains(QStringLiteral("GMT")) ||
                     time.contains(u'+'))
            << line.toStdString();
    }

    ASSERT_EQ(Presenter.Messages().size(), 1u);
    EXPECT_EQ(Presenter.Messages()[0].Title, QStringLiteral("Error"));
    EXPECT_EQ(Presenter.Messages()[0].Text, QStringLiteral("first line\nsecond\tline\r\nthird"));
}

TEST_F(NLog, SkipsALogThatCannotBeWrittenAndStillShowsTheBox)
{
    // A regular file where the log's folder should be: neither the folder nor the log can be made, even by root.
    const QString blocker = Folder.filePath(QStringLiteral("not-a-folder"));
    ASSERT_TRUE(CanCreateFile(blocker));
    SetLogFileName(blocker + QStringLiteral("/fenk.log"));

    errno = EACCES;
    ShowNotice(QStringLiteral("Cannot save"), mkError, true);
    EXPECT_EQ(errno, EACCES); // logging leaves the last error alone
    EXPECT_FALSE(QFileInfo::exists(blocker + QStringLiteral("/fenk.log")));
    EXPECT_EQ(QFileInfo(blocker).size(), 0);
    ASSERT_EQ(Presenter.Messages().size(), 1u);
    EXPECT_EQ(Presenter.Messages()[0].Text, QStringLiteral("Cannot save"));

    SetLogFileName(QString()); // no log at all
    ShowNotice(QStringLiteral("Still shown"), mkError, true);
    EXPECT_EQ(Presenter.Messages().size(), 2u);
}

TEST_F(NLog, CreatesTheLogFolderWhenMissing)
{
    const QString nested = Folder.filePath(QStringLiteral("state/fenk/fenk.log"));
    SetLogFileName(nested);
    WriteLog(mkError, QStringLiteral("first"));
    EXPECT_TRUE(QFileInfo(nested).isFile());
}

TEST_F(NLog, ConfirmAsksOrDefaultsAndLogsTheAnswer)
{
    LogLevel = mkWarning;
    Presenter.AnswerNext(true);
    EXPECT_TRUE(Confirm(QStringLiteral(" Exit without saving? "), true, false));
    EXPECT_FALSE(Confirm(QStringLiteral("Discard changes?"), true, false)); // nothing scripted: the default
    EXPECT_TRUE(Confirm(QStringLiteral("Replace?"), false, true));
    EXPECT_FALSE(Confirm(QStringLiteral("Delete?"), false, false));

    ASSERT_EQ(Presenter.Messages().size(), 2u); // only the questions that ask
    EXPECT_EQ(Presenter.Messages()[0].Title, QStringLiteral("Confirm"));
    EXPECT_EQ(Presenter.Messages()[0].Text, QStringLiteral("Exit without saving?"));

    const QStringList lines = LogLines();
    const char* const endings[] = {
        "War: ", " Exit without saving?",
        "War: ", " Exit without saving? Yes (selected).",
        "War: ", " Discard changes?",
        "War: ", " Discard changes? No (selected).",
        "War: ", " Replace?",
        "War: ", " Replace? Yes (defaulted).",
        "War: ", " Delete?",
        "War: ", " Delete? No (defaulted).",
    };
    ASSERT_EQ(lines.size(), 8);
    for (qsizetype index = 0; index < lines.size(); ++index) {
        EXPECT_TRUE(lines[index].startsWith(QString::fromLatin1(endings[2 * index]))) << lines[index].toStdString();
        EXPECT_TRUE(lines[index].endsWith(QString::fromLatin1(endings[2 * index + 1]))) << lines[index].toStdString();
    }
}

TEST_F(NLog, ReportsExceptionsWithTheirClassPlaceAndSystemError)
{
    const ENEInvalidElementErr ownError;
    const std::runtime_error standardError("disk on fire");
    const ENEAbort silent;
    const QString noSuchFile = QStringLiteral("Last Linux API Error: (#%1) ").arg(ENOENT);
    const struct
    {
        const char* Text;
        const std::exception* Exception;
        int LastError;
        QString Expected;
    } cases[] = {
        {" Saving failed ", &ownError, 0,
         QStringLiteral("Saving failed\nENEInvalidElementErr: Invalid element error\n@17")},
        {"", &standardError, 0, QStringLiteral("std::runtime_error: disk on fire\n@17")},
        {"Quiet", &silent, 0, QStringLiteral("Quiet\n@17")},
        {"", nullptr, 0, QStringLiteral("@17")},
        {"Open", nullptr, ENOENT, QStringLiteral("Open\n@17\n") + noSuchFile},
    };
    for (const auto& testCase : cases) {
        Presenter.Clear();
        errno = testCase.LastError;
        LogException(QString::fromLatin1(testCase.Text), testCase.Exception, true, 17);
        ASSERT_EQ(Presenter.Messages().size(), 1u);
        EXPECT_EQ(Presenter.Messages()[0].Title, QStringLiteral("Error"));
        EXPECT_TRUE(Presenter.Messages()[0].Text.startsWith(testCase.Expected))
            << Presenter.Messages()[0].Text.toStdString();
    }
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" Saving failed ENEInvalidElementErr: Invalid element error @17")));
}

TEST_F(NLog, DescribesTheLastSystemError)
{
    errno = 0;
    EXPECT_EQ(LastApiErrorText(), QString());
    for (const int code : {ENOENT, EACCES, 123456}) {
        errno = code;
        const QString text = LastApiErrorText();
        const QString prefix = QStringLiteral("Last Linux API Error: (#%1) ").arg(code);
        EXPECT_TRUE(text.startsWith(prefix)) << text.toStdString();
        EXPECT_GT(text.size(), prefix.size());
        EXPECT_LE(text.size() - prefix.size(), 64);
    }
}

TEST_F(NLog, PlacesTheLogBesideTheProgramOrInTheStateFolder)
{
    const QString program = Folder.filePath(QStringLiteral("bin/fenk.run"));
    ASSERT_TRUE(QDir(Folder.path()).mkdir(QStringLiteral("bin")));
    EXPECT_EQ(LogFileNameFor(program), Folder.filePath(QStringLiteral("bin/fenk.log")));
    EXPECT_EQ(LogFileNameFor(Folder.filePath(QStringLiteral("bin/fenk"))),
              Folder.filePath(QStringLiteral("bin/fenk.log")));
    EXPECT_EQ(LogFileNameFor(Folder.filePath(QStringLiteral("bin/fenk.1.2"))),
              Folder.filePath(QStringLiteral("bin/fenk.1.log")));

    // A folder that cannot be written (here: one that does not exist) sends the log to the state folder.
    const QString previousState = qEnvironmentVariable("XDG_STATE_HOME");
    const bool hadState = qEnvironmentVariableIsSet("XDG_STATE_HOME");
    const QString unwritable = QStringLiteral("/nonexistent-fenk-folder/fenk");
    qputenv("XDG_STATE_HOME", QByteArrayLiteral("/srv/state"));
    EXPECT_EQ(LogFileNameFor(unwritable), QStringLiteral("/srv/state/fenk/fenk.log"));
    qputenv("XDG_STATE_HOME", QByteArrayLiteral("relative/state"));
    EXPECT_EQ(LogFileNameFor(unwritable), QDir::homePath() + QStringLiteral("/.local/state/fenk/fenk.log"));
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(LogFileNameFor(unwritable), QDir::homePath() + QStringLiteral("/.local/state/fenk/fenk.log"));
    if (hadState)
        qputenv("XDG_STATE_HOME", previousState.toLocal8Bit());

    // This test program lies in a writable build tree.
    EXPECT_TRUE(PreviousFileName.endsWith(QStringLiteral("/NLogTest.log"))) << PreviousFileName.toStdString();
}
