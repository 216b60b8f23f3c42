#include "tests/support/ui/ModalDriver.h"

#include <QApplication>
#include <QDialog>

#include <gtest/gtest.h>

namespace {

constexpr int AppearanceTimeoutMs = 5000;

void CloseDialog(QWidget& Dialog)
{
    if (auto* dialog = qobject_cast<QDialog*>(&Dialog))
        dialog->reject();
    else
        Dialog.close();
}

} // namespace

TModalDriver::TModalDriver()
{
    Timer_.setInterval(0);
    QObject::connect(&Timer_, &QTimer::timeout, [this] { Poll(); });
}

TModalDriver::~TModalDriver()
{
    if (!Pending_.empty())
        ADD_FAILURE() << Pending_.size() << " expected modal dialog(s) never appeared";
}

void TModalDriver::Answer(TAnswer Action)
{
    Pending_.push_back(std::move(Action));
    Deadline_.setRemainingTime(AppearanceTimeoutMs);
    Timer_.start();
}

void TModalDriver::Accept()
{
    Answer([](QWidget& dialog) {
        auto* acceptable = qobject_cast<QDialog*>(&dialog);
        ASSERT_NE(acceptable, nullptr) << "the modal widget is not a dialog";
        acceptable->accept();
    });
}

void TModalDriver::Reject()
{
    Answer([](QWidget& dialog) { CloseDialog(dialog); });
}

void TModalDriver::AnswerAllOthers(TAnswer Action)
{
    Others_ = std::move(Action);
    if (Others_)
        Timer_.start();
}

bool TModalDriver::IsBeingAnswered(const QWidget* Dialog) const
{
    for (const QPointer<QWidget>& answering : Answering_) {
        if (answering == Dialog)
            return true;
    }
    return false;
}

void TModalDriver::Poll()
{
    if (Pending_.empty() && !Others_) {
        Timer_.stop();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || IsBeingAnswered(modal)) {
        if (!Pending_.empty() && Deadline_.hasExpired()) {
            ADD_FAILURE() << "no modal dialog appeared in time";
            Pending_.clear();
        }
        return;
    }
    const bool isQueued = !Pending_.empty();
    const TAnswer answer = isQueued ? std::move(Pending_.front()) : Others_;
    if (isQueued)
        Pending_.pop_front();
    QPointer<QWidget> dialog(modal);
    Answering_.push_back(dialog); // an answer may open a nested dialog that the next answer takes
    // A timer never fires again inside its own timeout; started anew it does, so the nested dialog's loop polls.
    Timer_.start();
    answer(*modal);
    Answering_.pop_back();
    ++Answered_;
    Deadline_.setRemainingTime(AppearanceTimeoutMs);
    if (isQueued && dialog && dialog->isVisible()) {
        ADD_FAILURE() << "the answer left the dialog open";
        CloseDialog(*dialog);
    }
}
