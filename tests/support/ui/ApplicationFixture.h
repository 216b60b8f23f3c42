#pragma once

#include "tests/support/ScriptedPresenter.h"
#include "ui/platform/NApplication.h"

#include <QWidget>

#include <gtest/gtest.h>

// Base of the window tests: every message box is recorded instead of shown, and no top-level window outlives its
// test.
class TApplicationFixture : public testing::Test
{
protected:
    void TearDown() override
    {
        const QList<QWidget*> windows = QApplication::topLevelWidgets();
        for (QWidget* window : windows)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static TNEApplication& Application() { return *static_cast<TNEApplication*>(QCoreApplication::instance()); }

    TScriptedPresenter Presenter;
};
