#pragma once

#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <vector>

// Answers the modal dialogs a test opens, in order: a zero-delay timer watches for the next modal dialog and runs
// the queued answer on it from inside its modal loop. A dialog that does not appear in time, or that an answer
// leaves open (it is then closed), fails the test, so no test ever blocks on a dialog. Dialogs nobody queued an
// answer for may be answered by a standing action instead.
class TModalDriver
{
public:
    using TAnswer = std::function<void(QWidget& Dialog)>;

    TModalDriver();
    // Fails the test when a queued answer found no dialog.
    ~TModalDriver();
    TModalDriver(const TModalDriver&) = delete;
    TModalDriver& operator=(const TModalDriver&) = delete;

    void Answer(TAnswer Action);
    // Answers the next dialog with accept() or reject().
    void Accept();
    void Reject();
    // Answers every modal dialog that no queued answer waits for with Action, until an empty action ends that; a
    // dialog such an answer leaves open is answered again, so the action decides when it has tried enough.
    void AnswerAllOthers(TAnswer Action);

    int AnsweredCount() const { return Answered_; }

private:
    void Poll();
    bool IsBeingAnswered(const QWidget* Dialog) const;

    std::deque<TAnswer> Pending_;
    TAnswer Others_;
    std::vector<QPointer<QWidget>> Answering_;
    QDeadlineTimer Deadline_;
    QTimer Timer_;
    int Answered_ = 0;
};
