#include "foundation/NCrypt.h"

#include "foundation/NCryptTable.h"
#include "tests/support/TestData.h"
#include "tools/PiHexFraction.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QJsonObject CipherVectors()
{
    return QJsonDocument::fromJson(ReadTestData(QStringLiteral("vectors/cipher_vectors.json"))).object();
}

QByteArray Hex(const QJsonValue& Value)
{
    return QByteArray::fromHex(Value.toString().toLatin1());
}

std::uint32_t Word(const QJsonValue& Value)
{
    return Value.toString().toUInt(nullptr, 16);
}

TNECrypt CryptWithKey(const QByteArray& Key)
{
    TNECrypt crypt;
    crypt.SetKey(Key.constData(), Key.size());
    return crypt;
}

QByteArray InitialTableBytes()
{
    QByteArray bytes;
    for (std::uint32_t word : NECryptInitialTable) {
        char little[4];
        qToLittleEndian(word, little);
        bytes.append(little, 4);
    }
    return bytes;
}

} // namespace

TEST(NCrypt, InitialTableIsPiReadLittleEndianAndMatchesTheVectors)
{
    const QByteArray table = InitialTableBytes();
    const std::vector<std::uint8_t> pi = PiHexFraction::Bytes(NECryptInitialTableWords * 4);
    EXPECT_EQ(table, QByteArray(reinterpret_cast<const char*>(pi.data()), qsizetype(pi.size())));

    const QJsonObject expected = CipherVectors()[QStringLiteral("initial_table")].toObject();
    EXPECT_EQ(QCryptographicHash::hash(table, QCryptographicHash::Sha256).toHex(),
              expected[QStringLiteral("sha256_of_the_4232_table_bytes")].toString().toLatin1());
    EXPECT_EQ(table.first(16), Hex(expected[QStringLiteral("table_bytes_first16_hex")]));
    EXPECT_EQ(table.last(16), Hex(expected[QStringLiteral("table_bytes_last16_hex")]));
    EXPECT_EQ(NECryptInitialTable[0], Word(expected[QStringLiteral("P_first4")][0]));
    EXPECT_EQ(NECryptInitialTable[33], Word(expected[QStringLiteral("P_last2")][1]));
    EXPECT_EQ(NECryptInitialTable[34], Word(expected[QStringLiteral("S0_0")]));
}

TEST(NCrypt, KeyScheduleWalksTheKeyCyclicallyLeastSignificantByteFirst)
{
    const QJsonObject expected = CipherVectors()[QStringLiteral("key_words_of_key_010203")].toObject();
    const QByteArray key = Hex(expected[QStringLiteral("key_hex")]);
    const auto* keyBytes = reinterpret_cast<const std::uint8_t*>(key.constData());
    qsizetype position = 0;
    EXPECT_EQ(NextKeyWord(keyBytes, key.size(), position), Word(expected[QStringLiteral("word_xored_into_P0")]));
    EXPECT_EQ(NextKeyWord(keyBytes, key.size(), position), Word(expected[QStringLiteral("word_xored_into_P1")]));
    EXPECT_EQ(NextKeyWord(keyBytes, key.size(), position), Word(expected[QStringLiteral("word_xored_into_P2")]));

    const std::uint8_t oneByte = 0xA5;
    position = 0;
    EXPECT_EQ(NextKeyWord(&oneByte, 1, position), 0xA5A5A5A5u);

    // A 200-byte key wraps after byte 199: the 50th word is bytes 196..199, the 51st bytes 0..3 again.
    std::uint8_t longKey[200];
    for (int i = 0; i < 200; ++i)
        longKey[i] = std::uint8_t(i);
    position = 196;
    EXPECT_EQ(NextKeyWord(longKey, 200, position), 0xC7C6C5C4u);
    EXPECT_EQ(NextKeyWord(longKey, 200, position), 0x03020100u);
}

TEST(NCrypt, SetKeyGivesTheKnownSubkeysAndSBoxes)
{
    for (const QJsonValue& item : CipherVectors()[QStringLiteral("after_set_key")].toArray()) {
        const QJsonObject vector = item.toObject();
        const TNECrypt crypt = CryptWithKey(Hex(vector[QStringLiteral("key_hex")]));
        SCOPED_TRACE(vector[QStringLiteral("key_hex")].toString().toStdString());
        EXPECT_EQ(crypt.P()[0], Word(vector[QStringLiteral("P0")]));
        EXPECT_EQ(crypt.P()[1], Word(vector[QStringLiteral("P1")]));
        EXPECT_EQ(crypt.P()[32], Word(vector[QStringLiteral("P32")]));
        EXPECT_EQ(crypt.P()[33], Word(vector[QStringLiteral("P33")]));
        EXPECT_EQ(crypt.S()[0], Word(vector[QStringLiteral("S0_0")]));
        EXPECT_EQ(crypt.S()[1023], Word(vector[QStringLiteral("S3_255")]));
    }
}

TEST(NCrypt, EncipherBlockGivesTheKnownBlocksAndDecipherBlockUndoesIt)
{
    for (const QJsonValue& item : CipherVectors()[QStringLiteral("encipher_block")].toArray()) {
        const QJsonObject vector = item.toObject();
        const TNECrypt crypt = CryptWithKey(Hex(vector[QStringLiteral("key_hex")]));
        std::uint32_t l = Word(vector[QStringLiteral("L_in")]), r = Word(vector[QStringLiteral("R_in")]);
        crypt.EncipherBlock(l, r);
        EXPECT_EQ(l, Word(vector[QStringLiteral("L_out")]));
        EXPECT_EQ(r, Word(vector[QStringLiteral("R_out")]));
        crypt.DecipherBlock(l, r);
        EXPECT_EQ(l, Word(vector[QStringLiteral("L_in")]));
        EXPECT_EQ(r, Word(vector[QStringLiteral("R_in")]));
    }
}

TEST(NCrypt, EncryptBufferGivesTheKnownCipherTextAndDecryptBufferRestoresIt)
{
    const QJsonArray vectors = CipherVectors()[QStringLiteral("cbc")].toArray();
    ASSERT_FALSE(vectors.isEmpty());
    for (const QJsonValue& item : vectors) {
        const QJsonObject vector = item.toObject();
        SCOPED_TRACE(vector[QStringLiteral("key")].toString().toStdString() + " length " +
                     std::to_string(vector[QStringLiteral("length")].toInt()));
        const TNECrypt crypt = CryptWithKey(Hex(vector[QStringLiteral("key_hex")]));
        const QByteArray plain = Hex(vector[QStringLiteral("plaintext_hex")]);
        ASSERT_EQ(plain.size(), vector[QStringLiteral("length")].toInt());
        QByteArray buffer = plain;
        crypt.EncryptBuffer(buffer.data(), buffer.size());
        EXPECT_EQ(buffer.toHex(), Hex(vector[QStringLiteral("ciphertext_hex")]).toHex());
        crypt.DecryptBuffer(buffer.data(), buffer.size());
        EXPECT_EQ(buffer, plain);
    }
}

TEST(NCrypt, BuffersOfEveryLengthUpToSixtyFourRoundTripAndChain)
{
    const TNECrypt crypt = CryptWithKey(QByteArrayLiteral("round trip"));
    for (int length = 0; length <= 64; ++length) {
        QByteArray plain(length, '\0');
        for (int i = 0; i < length; ++i)
            plain[i] = char(i * 7 + 1);
        QByteArray buffer = plain;
        crypt.EncryptBuffer(buffer.data(), buffer.size());
        if (length > 0) {
            EXPECT_NE(buffer, plain) << length;
        }
        crypt.DecryptBuffer(buffer.data(), buffer.size());
        EXPECT_EQ(buffer, plain) << length;
    }

    // Equal plaintext blocks give different ciphertext blocks, in the whole-block part and in a long buffer that
    // goes through the interleaved decryption.
    QByteArray equalBlocks(8 * 11, 'x');
    const QByteArray original = equalBlocks;
    crypt.EncryptBuffer(equalBlocks.data(), equalBlocks.size());
    for (int block = 1; block < 11; ++block)
        EXPECT_NE(equalBlocks.mid(8 * block, 8), equalBlocks.mid(8 * (block - 1), 8)) << block;
    crypt.DecryptBuffer(equalBlocks.data(), equalBlocks.size());
    EXPECT_EQ(equalBlocks, original);
}

TEST(NCrypt, WithoutAKeyTheBufferIsUntouchedAndTheKeyIsInvalid)
{
    TNECrypt crypt;
    EXPECT_FALSE(crypt.HasKey());
    crypt.ClearKey();
    EXPECT_EQ(crypt.P(), nullptr);

    crypt.SetKey("k", 1);
    EXPECT_TRUE(crypt.HasKey());
    crypt.ClearKey();
    EXPECT_FALSE(crypt.HasKey());
    EXPECT_EQ(crypt.S(), nullptr);

    QByteArray buffer("sixteen bytes...");
    const QByteArray original = buffer;
    std::uint32_t l = 1, r = 2;
    const auto expectInvalidKey = [](const auto& Call) {
        try {
            Call();
            ADD_FAILURE() << "no exception";
        } catch (const ENEInvalidCryptKeyErr& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Invalid encryption key"));
            EXPECT_EQ(error.ClassName(), QStringLiteral("ENEInvalidCryptKeyErr"));
        }
    };
    expectInvalidKey([&] { crypt.EncryptBuffer(buffer.data(), buffer.size()); });
    expectInvalidKey([&] { crypt.DecryptBuffer(buffer.data(), buffer.size()); });
    expectInvalidKey([&] { crypt.EncipherBlock(l, r); });
    expectInvalidKey([&] { crypt.SetKey("", 0); });
    expectInvalidKey([&] { crypt.SetKey(nullptr, 4); });
    EXPECT_EQ(buffer, original);
    EXPECT_FALSE(crypt.HasKey());
}

TEST(NCrypt, SetKeyReplacesAnEarlierKey)
{
    TNECrypt reused = CryptWithKey(QByteArrayLiteral("first key"));
    reused.SetKey("abc", 3);
    const TNECrypt fresh = CryptWithKey(QByteArrayLiteral("abc"));
    EXPECT_TRUE(std::equal(reused.P(), reused.P() + TNECrypt::SubkeyCount, fresh.P()));
    EXPECT_TRUE(std::equal(reused.S(), reused.S() + TNECrypt::SBoxWordCount, fresh.S()));
}

TEST(NCrypt, StreamDecodeFollowsTheKnownExamples)
{
    const QJsonObject vectors =
        QJsonDocument::fromJson(ReadTestData(QStringLiteral("vectors/key_vectors.json"))).object();
    for (const QJsonValue& item : vectors[QStringLiteral("stream_decode")].toArray()) {
        const QJsonObject vector = item.toObject();
        QByteArray state = Hex(vector[QStringLiteral("state_hex_before")]);
        QByteArray data = Hex(vector[QStringLiteral("data_hex")]);
        StreamDecode(data.data(), data.size(), reinterpret_cast<std::uint8_t*>(state.data()), state.size());
        EXPECT_EQ(data.toHex(), Hex(vector[QStringLiteral("decoded_hex")]).toHex());
        if (vector.contains(QStringLiteral("state_hex_after"))) {
            EXPECT_EQ(state.toHex(), Hex(vector[QStringLiteral("state_hex_after")]).toHex());
        }
    }
    QByteArray data("x");
    EXPECT_THROW(StreamDecode(data.data(), data.size(), nullptr, 0), ENEInvalidCryptKeyErr);
}
