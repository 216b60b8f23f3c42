#include "foundation/NSecureBuffer.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

TEST(NSecureBuffer, BurnsAllTheStorageOnlyItHoldsAndNoStorageAnybodyShares)
{
    const QByteArray secret("master password");
    // Each changes a private copy of the secret in place and tells how far into its storage the content starts.
    const std::pair<const char*, std::function<qsizetype(QByteArray&)>> alone[] = {
        {"as given", [](QByteArray&) { return 0; }},
        {"cut short", [](QByteArray& Bytes) { return Bytes.truncate(6), 0; }},
        {"front removed", [](QByteArray& Bytes) { return Bytes.remove(0, 7), Bytes.data_ptr().freeSpaceAtBegin(); }},
    };
    for (const auto& [name, change] : alone) {
        QByteArray bytes(secret.constData(), secret.size());
        const qsizetype offset = change(bytes);
        TNESecureBytes buffer(std::move(bytes));
        const char* storage = buffer.Bytes().constData() - offset;
        buffer.Burn();
        // An emptied buffer keeps its storage for what comes next, so it can still be looked at.
        EXPECT_TRUE(buffer.IsEmpty()) << name;
        EXPECT_TRUE(std::all_of(storage, storage + 15, [](char Byte) { return Byte == 0; })) << name;
    }

    // Copies somebody else keeps are theirs: growth, a burn and the end of a buffer never write into them.
    QString text = QStringLiteral("hunter2");
    const QString textCopy = text;
    const QByteArray bytesCopy = secret;
    static const char foreign[] = "read-only";
    {
        TNESecureText holder{std::move(text)};
        holder.Append(u" and more");
        EXPECT_EQ(holder.Text(), u"hunter2 and more");
        TNESecureBytes other{QByteArray(bytesCopy)};
        other.Burn();
        TNESecureBytes raw(QByteArray::fromRawData(foreign, 9));
    }
    EXPECT_EQ(textCopy, u"hunter2");
    EXPECT_EQ(bytesCopy, secret);
    EXPECT_STREQ(foreign, "read-only");
}

TEST(NSecureBuffer, GrowsByDoublingAndHandsItsContentOverWhole)
{
    TNESecureBytes buffer;
    buffer.Reserve(4);
    int moves = 0;
    for (int byte = 0; byte < 4096; ++byte) {
        const char* before = buffer.Bytes().constData();
        buffer.Append("x");
        moves += buffer.Bytes().constData() != before;
    }
    EXPECT_EQ(buffer.Bytes(), QByteArray(4096, 'x'));
    EXPECT_EQ(moves, 10) << "from 4 to 4096 by doubling";

    TNESecureBytes written;
    {
        TNESecureBytesDevice device(written);
        device.open(QIODevice::WriteOnly);
        for (int chunk = 0; chunk < 100; ++chunk)
            device.write(QByteArray(100, char('a' + chunk % 26)));
    }
    EXPECT_EQ(written.Bytes().size(), 10000);
    EXPECT_EQ(written.Bytes().right(1), "v");

    TNESecureText text{QStringLiteral("typed").toUpper()};
    const QChar* storage = text.Text().constData();
    const QString handed = text.Take();
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(handed.constData(), storage) << "no copy is left behind";
}
