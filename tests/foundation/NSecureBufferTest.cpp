#include "foundation/NSecureBuffer.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

bool IsZeroed(const char* Bytes, qsizetype Length)
{
    return std::all_of(Bytes, Bytes + Length, [](char Byte) { return Byte == 0; });
}

const QByteArray Secret("master password");

} // namespace

TEST(NSecureBuffer, BurnsAllTheStorageOnlyItHoldsAndNoStorageAnybodyShares)
{
    const struct
    {
        const char* Case;
        // Hands the buffer its content and tells where the content's storage starts; Secret spans it.
        std::function<const char*(TNESecureBytes&)> Fill;
        bool IsZeroed;
    } cases[] = {
        {"held alone",
         [](TNESecureBytes& Buffer) {
             Buffer = TNESecureBytes(QByteArray(Secret.constData(), Secret.size()));
             return Buffer.Bytes().constData();
         },
         true},
        {"bytes beyond its size",
         [](TNESecureBytes& Buffer) {
             QByteArray bytes(Secret.constData(), Secret.size());
             bytes.truncate(6);
             Buffer = TNESecureBytes(std::move(bytes));
             return Buffer.Bytes().constData();
         },
         true},
        {"bytes before its start",
         [](TNESecureBytes& Buffer) {
             QByteArray bytes(Secret.constData(), Secret.size());
             bytes.remove(0, 7);
             EXPECT_EQ(bytes.data_ptr().freeSpaceAtBegin(), 7);
             Buffer = TNESecureBytes(std::move(bytes));
             return Buffer.Bytes().constData() - 7;
         },
         true},
        {"shared until the sharer went",
         [](TNESecureBytes& Buffer) {
             QByteArray bytes(Secret.constData(), Secret.size());
             QByteArray sharer = bytes;
             Buffer = TNESecureBytes(std::move(bytes));
             sharer = QByteArray();
             return Buffer.Bytes().constData();
         },
         true},
    };
    for (const auto& example : cases) {
        TNESecureBytes buffer;
        const char* storage = example.Fill(buffer);
        buffer.Burn();
        EXPECT_TRUE(buffer.IsEmpty()) << example.Case;
        // The buffer keeps its zeroed storage for what comes next, so it can still be looked at.
        EXPECT_TRUE(IsZeroed(storage, Secret.size())) << example.Case;
    }

    // A copy somebody else keeps is theirs: neither a burn, nor growth, nor the end of the buffer writes into it.
    QByteArray bytes(Secret.constData(), Secret.size());
    const QByteArray sharer = bytes;
    {
        TNESecureBytes buffer(std::move(bytes));
        buffer.Append("!");
        TNESecureBytes other{QByteArray(sharer)};
        other.Burn();
        TNESecureBytes moved{QByteArray(sharer)};
        moved = TNESecureBytes(QByteArray("new"));
        EXPECT_EQ(moved.Bytes(), QByteArray("new"));
    }
    EXPECT_EQ(sharer, Secret);

    static const char foreign[] = "read-only";
    {
        TNESecureBytes buffer(QByteArray::fromRawData(foreign, 9));
    }
    EXPECT_EQ(QByteArray(foreign), QByteArray("read-only"));
}

TEST(NSecureBuffer, TextsFollowTheSameRuleAndAreHandedOverWhole)
{
    const QString password = QStringLiteral("hunter2");
    TNESecureText text(QString(password.constData(), password.size()));
    const QChar* storage = text.Text().constData();
    text.Burn();
    EXPECT_TRUE(std::all_of(storage, storage + password.size(), [](QChar Unit) { return Unit.isNull(); }));

    QString shared = password;
    {
        TNESecureText holder{QString(shared)};
        holder.Append(u" and more");
        EXPECT_EQ(holder.Text(), u"hunter2 and more");
    }
    EXPECT_EQ(shared, u"hunter2");

    TNESecureText taken(QString(password.constData(), password.size()));
    const QChar* takenStorage = taken.Text().constData();
    const QString handed = taken.Take();
    EXPECT_TRUE(taken.IsEmpty());
    EXPECT_EQ(handed, password);
    EXPECT_EQ(handed.constData(), takenStorage) << "handed over without a copy";
}

TEST(NSecureBuffer, GrowsByDoublingAndMovesOnlyWhenTheRoomRunsOut)
{
    TNESecureBytes buffer;
    buffer.Reserve(4);
    const char* storage = buffer.Bytes().constData();
    int moves = 0;
    for (int byte = 0; byte < 4096; ++byte) {
        buffer.Append(QByteArrayView("x", 1));
        if (buffer.Bytes().constData() != storage) {
            ++moves;
            storage = buffer.Bytes().constData();
        }
    }
    EXPECT_EQ(buffer.Bytes(), QByteArray(4096, 'x'));
    EXPECT_EQ(moves, 10) << "4 doubles ten times to 4096";

    TNESecureBytes written;
    {
        TNESecureBytesDevice device(written);
        device.open(QIODevice::WriteOnly);
        for (int chunk = 0; chunk < 100; ++chunk)
            device.write(QByteArray(100, char('a' + chunk % 26)));
        device.seek(1);
        device.write("B");
    }
    ASSERT_EQ(written.Bytes().size(), 10000);
    EXPECT_EQ(written.Bytes().left(3), QByteArray("aBa"));
    EXPECT_EQ(written.Bytes().right(2), QByteArray("vv"));
}
