#pragma once

#include "app/FenkDocument.h"
#include "ui/platform/NDesktop.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QProgressDialog;
class QWidget;

// Shows how far a load or save of the document has got, for its lifetime: the hourglass from the first step on,
// and once the work has lasted ShowAfterMs a modal progress dialog whose Cancel aborts the load or save (the
// document and the file then stay as they were).
class TFenkProgressDialog
{
public:
    TFenkProgressDialog(QWidget& Owner, TFenkDocument& Document, const QString& Label);
    ~TFenkProgressDialog();
    TFenkProgressDialog(const TFenkProgressDialog&) = delete;
    TFenkProgressDialog& operator=(const TFenkProgressDialog&) = delete;

    // Half a second: shorter work shows the hourglass only.
    static inline int ShowAfterMs = 500;

private:
    void Progress(std::int32_t Position, std::int32_t Total, bool& Abort);

    QWidget& Owner_;
    TFenkDocument& Document_;
    QString Label_;
    TFenkProgress SavedProgress_;
    std::optional<TNEHourglass> Hourglass_;
    QElapsedTimer Elapsed_;
    QElapsedTimer SinceEvents_;
    std::unique_ptr<QProgressDialog> Dialog_;
};
