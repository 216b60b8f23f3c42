#include "ui/platform/NPasswordEcho.h"

#include "tests/support/ui/ApplicationFixture.h"

#include <QLineEdit>

namespace {

using NPasswordEcho = TApplicationFixture;

} // namespace

TEST_F(NPasswordEcho, BulletEchoShowsEveryCharacterAsABulletThroughOneSharedStyle)
{
    QLineEdit first;
    QLineEdit second;
    SetBulletEcho(first);
    SetBulletEcho(second);
    first.setText(QStringLiteral("pa\u00DF"));
    EXPECT_EQ(first.echoMode(), QLineEdit::Password);
    EXPECT_EQ(first.displayText(), QString(3, QChar(0x2022)));
    EXPECT_EQ(first.style(), second.style()) << "one style for every password edit, not one per edit";
    EXPECT_NE(first.style(), QApplication::style());
}
