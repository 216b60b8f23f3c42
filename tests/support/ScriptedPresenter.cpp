#include "tests/support/ScriptedPresenter.h"

TScriptedPresenter::TScriptedPresenter() : Previous_(InstallPromptPresenter(this)) {}

TScriptedPresenter::~TScriptedPresenter()
{
    InstallPromptPresenter(Previous_);
}

QStringList TScriptedPresenter::Texts() const
{
    QStringList texts;
    for (const Shown& message : Messages_)
        texts.append(message.Text);
    return texts;
}

void TScriptedPresenter::ShowMessage(TNEMessageKind Kind, const QString& Text)
{
    static const char* const titles[] = {"Error", "Warning", "Information"};
    Messages_.push_back({QString::fromLatin1(titles[Kind]), Text});
}

bool TScriptedPresenter::AskYesNo(const QString& Text, bool Default)
{
    Messages_.push_back({QStringLiteral("Confirm"), Text});
    if (Answers_.empty())
        return Default;
    const bool answer = Answers_.front();
    Answers_.pop_front();
    return answer;
}

void TScriptedPresenter::ShowTitledMessage(const QString& Title, const QString& Text)
{
    Messages_.push_back({Title, Text});
}
