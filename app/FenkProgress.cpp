#include "app/FenkProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {

// How often the dialog lets the user's clicks in while the work goes on.
constexpr int EventIntervalMs = 50;

} // namespace

TFenkProgressDialog::TFenkProgressDialog(QWidget& Owner, TFenkDocument& Document, const QString& Label)
    : Owner_(Owner), Document_(Document), Label_(Label), SavedProgress_(Document.OnProgress)
{
    Document_.OnProgress = {this, &TFenkProgressDialog::Progress};
}

TFenkProgressDialog::~TFenkProgressDialog()
{
    Document_.OnProgress = SavedProgress_;
}

void TFenkProgressDialog::Progress(std::int32_t Position, std::int32_t Total, bool& Abort)
{
    if (!Hourglass_) {
        Hourglass_.emplace();
        Elapsed_.start();
        SinceEvents_.start();
    }
    bool isShown = false;
    if (!Dialog_ && Elapsed_.elapsed() >= ShowAfterMs) {
        isShown = true;
        Dialog_ = std::make_unique<QProgressDialog>(Label_, QStringLiteral("Cancel"), 0, 0, &Owner_);
        Dialog_->setWindowTitle(Owner_.window()->windowTitle());
        Dialog_->setWindowModality(Qt::WindowModal);
        Dialog_->setMinimumDuration(0);
        Dialog_->setAutoReset(false);
        Dialog_->setAutoClose(false);
        Dialog_->show();
    }
    if (!Dialog_)
        return;
    Dialog_->setMaximum(std::max(Total, 1));
    Dialog_->setValue(std::clamp(Position, 0, Dialog_->maximum()));
    if (isShown || SinceEvents_.elapsed() >= EventIntervalMs) {
        SinceEvents_.restart();
        QCoreApplication::processEvents();
    }
    Abort = Abort || Dialog_->wasCanceled();
}
