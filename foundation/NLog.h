#pragma once

#include <QString>

#include <exception>

// Kinds of message: each has a log prefix, a message box title and an icon.
enum TNEMessageKind : int
{
    mkError = 0,
    mkWarning = 1,
    mkInformation = 2,
};

// Shows message boxes and asks questions for the prompt routines. The default presenter shows nothing and lets
// Confirm fall back to its default; the window installs one with real message boxes; tests install one that
// records what was shown and scripts the answers.
class TNEPromptPresenter
{
public:
    virtual ~TNEPromptPresenter() = default;

    // A modal box of the kind's title and icon with an OK button.
    virtual void ShowMessage(TNEMessageKind Kind, const QString& Text) = 0;
    // A modal Yes/No question titled "Confirm"; true for Yes. Return Default when nobody can be asked.
    virtual bool AskYesNo(const QString& Text, bool Default) = 0;
    // An error box with a caller-given title (the application's default exception handler uses it).
    virtual void ShowTitledMessage(const QString& Title, const QString& Text) = 0;
};

// Installs Presenter (not owned) for every later prompt; nullptr restores the silent default presenter. Returns
// the presenter that was installed before, so a scope can put it back.
TNEPromptPresenter* InstallPromptPresenter(TNEPromptPresenter* Presenter);
TNEPromptPresenter& PromptPresenter();

// The log file, and whether and up to which kind messages are written to it. The log file is named after the
// program with the extension ".log"; it lies beside the program when that folder is writable (a build tree or a
// portable install), else in the user's state folder ($XDG_STATE_HOME/fenk, by default ~/.local/state/fenk).
QString LogFileNameFor(const QString& ProgramFile);
QString LogFileName();
void SetLogFileName(const QString& FileName);
extern bool LogEnabled;
extern int LogLevel;

// Appends a line (kind prefix, local date and time, the text on one line) when the kind passes LogLevel; a log
// that cannot be written is skipped silently.
void WriteLog(int Kind, const QString& Text);
// Logs the trimmed text and, when Show is set, shows it in the box of its kind (a kind without a box of its own
// shows as information).
void ShowNotice(const QString& Text, int Kind, bool Show);
void ShowWarning(const QString& Text);
// Asks a Yes/No question when Ask is set, else takes Default; the question and its answer are logged as warnings.
bool Confirm(const QString& Text, bool Ask, bool Default);
// Reports an error: the text, the exception's class and message, "@" and the number of the calling place, and the
// last system error, one per line.
void LogException(const QString& Text, const std::exception* Exception, bool Show, int Place);
// "Last Linux API Error: (#code) " and the system's text for errno; empty when errno is 0.
QString LastApiErrorText();
