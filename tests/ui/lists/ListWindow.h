#pragma once

#include "ui/lists/NList.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NForm.h"

#include <QTest>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

// A form with a list panel holding a list of three columns ("Site", "Login", "Note") and its controller, as the
// program's windows build them. The form's own key-down handler records every key it is given.
template <typename Controller = TNEListController> struct TListWindow
{
    explicit TListWindow(const std::vector<QStringList>& Items, QWidget* SideControl = nullptr)
    {
        Form.resize(420, 300);
        Form.OnKeyDown = {this, &TListWindow::FormKeyDown};
        Panel = new TNEListPanel(&Form);
        Panel->setGeometry(8, 8, 400, 280);
        List = new TNEListView(Panel);
        for (const char* caption : {"Site", "Login", "Note"})
            List->Model().AddColumn(QString::fromLatin1(caption), 120);
        for (const QStringList& texts : Items)
            List->Model().AddItem(texts);
        Control = std::make_unique<Controller>(*List);
        Panel->AttachList(List, SideControl);
    }

    // Shows the form active, with the focus on the list.
    void Show()
    {
        Form.show();
        Form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
        List->setFocus();
    }

    void FormKeyDown(TNEShortCut& Key) { FormKeys.push_back(Key); }

    QString FocusedCaption() const
    {
        const int focused = List->FocusedItem();
        return focused < 0 ? QString() : List->Model().Item(focused).Caption();
    }

    TNEForm Form;
    TNEListPanel* Panel;
    TNEListView* List;
    // Destroyed before the form and with it the list.
    std::unique_ptr<Controller> Control;
    std::vector<TNEShortCut> FormKeys;
};
