// The main window at scale: a vault of 100,000 generated logins given on the command line, opened offscreen by the
// real window with the password typed into its dialog, then one find-as-you-type keystroke that matches nothing, an
// edit of the current login through the row editor, and a click on a column header. Each step is timed until the list
// has painted what it left; the peak resident memory is read once the vault is open. Prints each figure with its goal.
// "--logins N" makes it smaller, as the test suite's smoke run does.

#include "app/FenkList.h"
#include "app/FenkMain.h"
#include "bench/BenchVault.h"
#include "foundation/NLog.h"
#include "store/NRow.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NApplication.h"

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString MasterPassword = QStringLiteral("bench master password");
// No generated site, login name or note holds it, and passwords are masked in the list.
const QString UnmatchedCharacter = QStringLiteral("~");
// Typed at the end of the current login's site in the row editor.
const QString EditedSuffix = QStringLiteral("-edited");

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point Start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

int LoginCount(int ArgumentCount, char** Arguments)
{
    for (int index = 1; index + 1 < ArgumentCount; ++index) {
        if (std::string_view(Arguments[index]) == "--logins")
            return std::max(1, std::atoi(Arguments[index + 1]));
    }
    return 100'000;
}

// Writes the vault in a child process before the window's process has any thread, so that the generator's memory
// never counts in the window's peak.
void WriteVaultInChild(const QString& FileName, int Logins, int ArgumentCount, char** Arguments)
{
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("cannot start the vault writer");
    if (child == 0) {
        int status = 0;
        try {
            QCoreApplication application(ArgumentCount, Arguments);
            WriteFenkVault(FileName, MasterPassword, GenerateLogins(Logins));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "WindowBench: %s\n", error.what());
            status = 1;
        }
        _exit(status);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("the vault could not be written");
}

long PeakResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// Answers the next modal dialog from inside its modal loop, as a user would, so that the window's own commands run
// unchanged.
class TDialogAnswer
{
public:
    // The dialog to answer is the modal one whose title starts with Title: a progress box may be modal too.
    TDialogAnswer(const QString& Title, std::function<void(QWidget&)> Answer) : Answer_(std::move(Answer))
    {
        Timer_.setInterval(0);
        QObject::connect(&Timer_, &QTimer::timeout, [this, Title] {
            QWidget* dialog = QApplication::activeModalWidget();
            // Typing starts once the dialog has the keyboard focus, as a user's would.
            if (!dialog || !dialog->isVisible() || !dialog->windowTitle().startsWith(Title) ||
                !dialog->isAncestorOf(QApplication::focusWidget()))
                return;
            Timer_.stop();
            Answered_ = true;
            Answer_(*dialog);
        });
        Timer_.start();
    }

    bool Answered() const { return Answered_; }

private:
    std::function<void(QWidget&)> Answer_;
    QTimer Timer_;
    bool Answered_ = false;
};

// Every prompt would mean the run went wrong: it is printed and answered No.
class TBenchPresenter final : public TNEPromptPresenter
{
public:
    void ShowMessage(TNEMessageKind, const QString& Text) override { Report(Text); }
    bool AskYesNo(const QString& Text, bool) override { return Report(Text), false; }
    void ShowTitledMessage(const QString&, const QString& Text) override { Report(Text); }

    int Count = 0;

private:
    void Report(const QString& Text)
    {
        ++Count;
        std::fprintf(stderr, "WindowBench: prompt \"%s\"\n", qPrintable(Text));
    }
};

// Lets the window handle what the step posted, then paints the list as the screen shows it.
void PaintList(TFenkForm& Form)
{
    QCoreApplication::processEvents();
    Form.List().viewport()->repaint();
}

void PrintFigure(const char* Measure, double Value, const char* Unit, double Goal)
{
    std::printf("%-58s %10.1f %-2s  goal <= %g %s  %s\n", Measure, Value, Unit, Goal, Unit,
                Value <= Goal ? "met" : "MISSED");
}

int Bench(int Logins, TClock::time_point Start, const QString& Vault)
{
    TBenchPresenter presenter;
    InstallPromptPresenter(&presenter);
    TFenkForm form({Vault});
    const TDialogAnswer password(QStringLiteral("Unlock File"), [](QWidget& Dialog) {
        QLineEdit* edit = Dialog.findChild<QLineEdit*>();
        QTest::keyClicks(edit, MasterPassword);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    form.show();
    PaintList(form);
    const double startMilliseconds = MillisecondsSince(Start);
    const long peakKilobytes = PeakResidentKilobytes();
    const int items = form.List().Model().ItemCount();
    if (!password.Answered() || items != Logins)
        throw std::runtime_error("the window did not open the vault");

    const int focused = form.List().FocusedItem();
    TClock::time_point stepStart = TClock::now();
    QTest::keyClicks(QApplication::focusWidget(), UnmatchedCharacter);
    PaintList(form);
    const double keystrokeMilliseconds = MillisecondsSince(stepStart);
    if (!form.ListPanel().IsSearchOpen() || form.List().FocusedItem() != focused)
        throw std::runtime_error("the keystroke did not search, or it found a login");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    form.List().setFocus();

    TNERow* const edited = form.List().RowOf(form.List().FocusedItem());
    const QString editedSite = edited ? edited->GetString(0) + EditedSuffix : QString();
    const TDialogAnswer edit(QStringLiteral("Edit "), [](QWidget&) {
        QWidget* site = QApplication::focusWidget();
        QTest::keyClick(site, Qt::Key_End);
        QTest::keyClicks(site, EditedSuffix);
        QTest::keyClick(site, Qt::Key_Return, Qt::ControlModifier);
    });
    stepStart = TClock::now();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    PaintList(form);
    const double editMilliseconds = MillisecondsSince(stepStart);
    if (!edit.Answered() || !edited || form.List().RowOf(form.List().FocusedItem()) != edited ||
        form.List().Model().Item(form.List().FocusedItem()).Text(0) != editedSite)
        throw std::runtime_error("the edit did not reach the list");

    QHeaderView* header = form.List().header();
    stepStart = TClock::now();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    PaintList(form);
    const double sortMilliseconds = MillisecondsSince(stepStart);
    if (form.List().SortColumn() != 1)
        throw std::runtime_error("the header click did not sort");

    std::printf("The window on %d logins (offscreen, locale %s)\n", Logins, qPrintable(QLocale().name()));
    PrintFigure("start with the vault given, until the sorted list is painted", startMilliseconds, "ms", 1000);
    PrintFigure("one find-as-you-type keystroke, no match", keystrokeMilliseconds, "ms", 16);
    PrintFigure("Edit, change one field, OK, until the list shows it", editMilliseconds, "ms", 100);
    PrintFigure("a header click re-sorting every row", sortMilliseconds, "ms", 150);
    PrintFigure("peak memory with the vault open, per login", double(peakKilobytes) * 1024 / 1000 / Logins, "KB", 1.5);
    std::printf("%-58s %10.1f MB\n", "  peak resident memory of the window", double(peakKilobytes) / 1024);
    InstallPromptPresenter(nullptr);
    return presenter.Count == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const int logins = LoginCount(argc, argv);
        const QTemporaryDir folder;
        const QString vault = folder.filePath(QStringLiteral("bench.fkx"));
        WriteVaultInChild(vault, logins, argc, argv);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Sorting follows the user's locale. A desktop's locale collates through ICU, which costs more than the code
        // units the C locale of a build machine compares, so that is what is measured unless LC_ALL says otherwise.
        if (qEnvironmentVariableIsEmpty("LC_ALL"))
            qputenv("LC_ALL", "en_US.UTF-8");
        // The window's start is timed from here: the vault exists, the program starts.
        const TClock::time_point programStart = TClock::now();
        TNEApplication application(argc, argv);
        return Bench(logins, programStart, vault);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "WindowBench: %s\n", error.what());
        return 1;
    }
}
