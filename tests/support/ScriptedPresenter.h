#pragma once

#include "foundation/NLog.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

// A prompt presenter for tests: records every message and question, answers questions from a script (the default
// answer when the script is empty), and installs itself for its lifetime.
class TScriptedPresenter final : public TNEPromptPresenter
{
public:
    struct Shown
    {
        QString Title; // "Error", "Warning", "Information", "Confirm" or the caller's title
        QString Text;
    };

    TScriptedPresenter();
    ~TScriptedPresenter() override;

    // Queues the answers of the next questions, oldest first.
    void AnswerNext(bool Answer) { Answers_.push_back(Answer); }

    const std::vector<Shown>& Messages() const { return Messages_; }
    QStringList Texts() const;
    void Clear() { Messages_.clear(); }

    void ShowMessage(TNEMessageKind Kind, const QString& Text) override;
    bool AskYesNo(const QString& Text, bool Default) override;
    void ShowTitledMessage(const QString& Title, const QString& Text) override;

private:
    TNEPromptPresenter* Previous_;
    std::vector<Shown> Messages_;
    std::deque<bool> Answers_;
};
