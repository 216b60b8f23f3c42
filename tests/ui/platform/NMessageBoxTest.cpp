#include "ui/platform/NMessageBox.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/ModalDriver.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

// What a message box looked like, and which button answered it.
struct TSeenBox
{
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons;
    QMessageBox::StandardButton Default = QMessageBox::NoButton;
};

// Answers the next box by pressing Button after recording how it looks; NoButton presses Escape.
void AnswerBox(TModalDriver& Driver, TSeenBox& Seen, QMessageBox::StandardButton Button)
{
    Driver.Answer([&Seen, Button](QWidget& dialog) {
        auto& box = dynamic_cast<QMessageBox&>(dialog);
        Seen = {box.windowTitle(), box.text(), box.icon(), box.standardButtons(),
                box.standardButton(box.defaultButton())};
        if (Button == QMessageBox::NoButton)
            QTest::keyClick(&box, Qt::Key_Escape);
        else
            box.button(Button)->click();
    });
}

// The real presenter, with the recording one of the fixture out of the way.
class NMessageBox : public TApplicationFixture
{
protected:
    NMessageBox() : Previous_(InstallPromptPresenter(&Boxes)) {}
    ~NMessageBox() override { InstallPromptPresenter(Previous_); }

    TNEMessageBoxPresenter Boxes;
    TModalDriver Driver;

private:
    TNEPromptPresenter* Previous_;
};

} // namespace

TEST_F(NMessageBox, EachKindHasItsTitleIconAndAnOkButton)
{
    struct Case
    {
        TNEMessageKind Kind;
        const char* Title;
        QMessageBox::Icon Icon;
    };
    const Case cases[] = {
        {mkError, "Error", QMessageBox::Critical},
        {mkWarning, "Warning", QMessageBox::Warning},
        {mkInformation, "Information", QMessageBox::Information},
    };
    for (const Case& c : cases) {
        TSeenBox seen;
        AnswerBox(Driver, seen, QMessageBox::Ok);
        PromptPresenter().ShowMessage(c.Kind, QStringLiteral("First line\nsecond line"));
        EXPECT_EQ(seen.Title.toStdString(), c.Title);
        EXPECT_EQ(seen.Icon, c.Icon);
        EXPECT_EQ(seen.Buttons, QMessageBox::Ok);
        EXPECT_EQ(seen.Text, QStringLiteral("First line\nsecond line")) << "line breaks are kept in the box";
    }
}

TEST_F(NMessageBox, QuestionsAreConfirmBoxesAnsweredYesOrNo)
{
    struct Case
    {
        bool Default;
        QMessageBox::StandardButton Pressed;
        bool Answer;
    };
    const Case cases[] = {
        {false, QMessageBox::Yes, true},       {false, QMessageBox::No, false},
        {true, QMessageBox::No, false},        {true, QMessageBox::NoButton, false}, // Escape always means No
        {false, QMessageBox::NoButton, false},
    };
    for (const Case& c : cases) {
        TSeenBox seen;
        AnswerBox(Driver, seen, c.Pressed);
        EXPECT_EQ(PromptPresenter().AskYesNo(QStringLiteral("Discard changes?"), c.Default), c.Answer);
        EXPECT_EQ(seen.Title, QStringLiteral("Confirm"));
        EXPECT_EQ(seen.Icon, QMessageBox::Question);
        EXPECT_EQ(seen.Buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(seen.Default, c.Default ? QMessageBox::Yes : QMessageBox::No);
        EXPECT_EQ(seen.Text, QStringLiteral("Discard changes?"));
    }
}

TEST_F(NMessageBox, TitledMessagesAreErrorBoxes)
{
    TSeenBox seen;
    AnswerBox(Driver, seen, QMessageBox::Ok);
    PromptPresenter().ShowTitledMessage(QStringLiteral("Fenk"), QStringLiteral("Invalid password."));
    EXPECT_EQ(seen.Title, QStringLiteral("Fenk"));
    EXPECT_EQ(seen.Text, QStringLiteral("Invalid password."));
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    EXPECT_EQ(seen.Buttons, QMessageBox::Ok);
}
