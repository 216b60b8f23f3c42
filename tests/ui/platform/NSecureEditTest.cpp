#include "ui/platform/NSecureEdit.h"

#include "tests/support/MemoryScan.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "ui/platform/NPasswordEcho.h"

#include <QLineEdit>
#include <QTest>

namespace {

using NSecureEdit = TApplicationFixture;

// Typed one key at a time from read-only memory, so that the test holds no copy of its own.
constexpr char Typed[] = "Kq4!typed-into-an-edit";
constexpr char16_t Typed16[] = u"Kq4!typed-into-an-edit";

} // namespace

// An edit emptied by its keeper leaves nothing of what was typed into it in memory, whether it shows the text or
// bullets: neither the text nor the copies the edit laid out or left behind while it grew, fixed and replaced it.
TEST_F(NSecureEdit, AnEmptiedEditLeavesNoCopyOfItsTextInMemory)
{
    const struct
    {
        const char* Name;
        bool IsBullet;
    } cases[] = {{"plain edit", false}, {"bullet edit", true}};
    for (const auto& c : cases) {
        {
            QLineEdit edit;
            auto* keeper = new TNEEditTextKeeper(edit);
            if (c.IsBullet)
                SetBulletEcho(edit);
            edit.show();
            for (const char* key = Typed; *key; ++key)
                QTest::keyClick(&edit, *key);
            // A typo fixed, then the whole text typed anew over a selection of it.
            QTest::keyClick(&edit, Qt::Key_Backspace);
            QTest::keyClick(&edit, Typed[sizeof(Typed) - 2]);
            edit.selectAll();
            for (const char* key = Typed; *key; ++key)
                QTest::keyClick(&edit, *key);
            ASSERT_TRUE(edit.text() == QStringView(Typed16)) << c.Name;
            keeper->Burn();
            EXPECT_TRUE(edit.text().isEmpty()) << c.Name;
        }
        EXPECT_EQ(FindInWritableMemory({{"typed", Typed16}}), std::vector<std::string>()) << c.Name;
    }
}
