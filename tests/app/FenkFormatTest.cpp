#include "app/FenkFormat.h"

#include "foundation/NFile.h"
#include "tests/support/LockHolder.h"
#include "tests/support/TestData.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/file.h>

namespace {

const QByteArray Document = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<STORE/>\r\n");

QJsonObject KeyVectors()
{
    return QJsonDocument::fromJson(ReadTestData(QStringLiteral("vectors/key_vectors.json"))).object();
}

QByteArray Hex(const QJsonValue& Value)
{
    return QByteArray::fromHex(Value.toString().toLatin1());
}

TNECrypt CryptWithKey(const QByteArray& Key)
{
    TNECrypt crypt;
    crypt.SetKey(Key.constData(), Key.size());
    return crypt;
}

void WriteDocument(QIODevice& Device)
{
    Device.write(Document);
}

QByteArray ReadFile(const QString& FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The plain payload of a vault file written by this program, read back with its password. A deep copy: the
// payload's own storage is zeroed when the content goes away.
QByteArray Decipher(const QString& FileName, QString Password)
{
    TFenkFileContent content = ReadVaultFile(FileName);
    TNECrypt crypt;
    DecipherPayload(content, Password, crypt);
    return QByteArray(content.Payload.Bytes().constData(), content.Payload.Bytes().size());
}

bool IsFiller(QByteArrayView Bytes)
{
    return std::all_of(Bytes.begin(), Bytes.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

} // namespace

TEST(FenkFormat, KeyFromPasswordKeepsLowBytesAndNonZeroHighBytes)
{
    for (const QJsonValue& item : KeyVectors()[QStringLiteral("key_from_password")].toArray()) {
        const QJsonObject vector = item.toObject();
        const QString password = vector[QStringLiteral("password")].toString();
        EXPECT_EQ(KeyFromPassword(password).Bytes().toHex(), Hex(vector[QStringLiteral("key_hex")]).toHex())
            << vector[QStringLiteral("note")].toString().toStdString();
    }
}

TEST(FenkFormat, ChecksumGivesTheKnownValues)
{
    const QJsonArray vectors = KeyVectors()[QStringLiteral("checksum")].toArray();
    ASSERT_FALSE(vectors.isEmpty());
    for (const QJsonValue& item : vectors) {
        const QJsonObject vector = item.toObject();
        EXPECT_EQ(Checksum(Hex(vector[QStringLiteral("key_hex")])),
                  vector[QStringLiteral("checksum")].toString().toUInt(nullptr, 16))
            << vector[QStringLiteral("key_hex")].toString().toStdString();
    }
}

TEST(FenkFormat, ThePublicVaultsDecipherToTheirPlainPayloads)
{
    const QJsonObject manifest =
        QJsonDocument::fromJson(ReadTestData(QStringLiteral("vectors/manifest.json"))).object();
    const QJsonArray cases = manifest[QStringLiteral("cases")].toArray();
    ASSERT_EQ(cases.size(), 2);
    for (const QJsonValue& item : cases) {
        const QJsonObject vault = item.toObject();
        SCOPED_TRACE(vault[QStringLiteral("file")].toString().toStdString());
        TFenkFileContent content =
            ReadVaultFile(TestDataPath(QStringLiteral("vectors/") + vault[QStringLiteral("file")].toString()));
        EXPECT_EQ(content.Version, 2);
        QString password = vault[QStringLiteral("password")].toString();
        TNECrypt crypt;
        DecipherPayload(content, password, crypt);
        EXPECT_EQ(content.Payload.Bytes(),
                  ReadTestData(QStringLiteral("vectors/") + vault[QStringLiteral("plain_payload_file")].toString()));
        EXPECT_TRUE(crypt.HasKey());
        const TNECrypt expectedKey = CryptWithKey(Hex(vault[QStringLiteral("key_hex")]));
        EXPECT_TRUE(std::equal(crypt.P(), crypt.P() + TNECrypt::SubkeyCount, expectedKey.P()));
    }
}

TEST(FenkFormat, TheHeaderGivesTheVersionOrATypeOrVersionFailure)
{
    enum TOutcome
    {
        Read,
        FileType,
        Version
    };
    const struct
    {
        QByteArray File;
        TOutcome Outcome;
        int Version;
        QByteArray Payload;
    } cases[] = {
        {"", Read, 2, ""},
        {"FKX2;", Read, 2, ""},
        {"FKX1;", Read, 1, ""},
        {"FKX2;\x01;x", Read, 2, "\x01;x"},
        {"FKX02;abc", Read, 2, "abc"},
        {"FKX+1;abc", Read, 1, "abc"},
        {"F", FileType, 0, ""},
        {"FK", FileType, 0, ""},
        {"fkx2;", FileType, 0, ""},
        {"FKY2;abc", FileType, 0, ""},
        {"FKX", Version, 0, ""},
        {"FKX;", Version, 0, ""},
        {"FKX3;abc", Version, 0, ""},
        {"FKX0;", Version, 0, ""},
        {"FKX-2;", Version, 0, ""},
        {"FKX2 ;", Version, 0, ""},
        {"FKX 2;", Version, 0, ""},
        {"FKX2\x9c\x41\x02", Version, 0, ""},
        {"FKX99999999999;", Version, 0, ""},
    };
    for (const auto& header : cases) {
        SCOPED_TRACE(header.File.toHex().toStdString());
        try {
            const TFenkFileContent content = ReadVaultBytes(header.File);
            EXPECT_EQ(header.Outcome, Read);
            EXPECT_EQ(content.Version, header.Version);
            EXPECT_EQ(content.Payload.Bytes(), header.Payload);
        } catch (const ENEFileTypeErr& error) {
            EXPECT_EQ(header.Outcome, FileType);
            EXPECT_EQ(error.Message(), QStringLiteral("The file type is not supported"));
        } catch (const ENEFileVersionErr& error) {
            EXPECT_EQ(header.Outcome, Version);
            EXPECT_EQ(error.Message(), QStringLiteral("The file version is not supported"));
        }
    }
}

TEST(FenkFormat, VersionOnePayloadsAreStreamDecodedWithTheChecksumOfTheKey)
{
    const struct
    {
        QByteArray File;
        QString Password;
        QByteArray Plain;
    } cases[] = {
        {"FKX1;", QStringLiteral("abc"), ""},
        {QByteArray("FKX1;") + QByteArray::fromHex("E533637850"), QStringLiteral("abc"), "<?xml"},
    };
    for (const auto& vault : cases) {
        TFenkFileContent content = ReadVaultBytes(vault.File);
        ASSERT_EQ(content.Version, 1);
        QString password = vault.Password;
        TNECrypt crypt;
        DecipherPayload(content, password, crypt);
        EXPECT_EQ(content.Payload.Bytes(), vault.Plain);
        EXPECT_TRUE(crypt.HasKey());
    }
}

TEST(FenkFormat, AnEmptyPasswordClearsTheKeyAndIsInvalid)
{
    TFenkFileContent content = ReadVaultBytes("FKX2;12345678");
    TNECrypt crypt = CryptWithKey("previous");
    QString password;
    try {
        DecipherPayload(content, password, crypt);
        ADD_FAILURE() << "no exception";
    } catch (const ENEInvalidPasswordErr& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Invalid password"));
        EXPECT_EQ(error.ClassName(), QStringLiteral("ENEInvalidPasswordErr"));
    }
    EXPECT_FALSE(crypt.HasKey());
    EXPECT_EQ(content.Payload.Bytes(), QByteArray("12345678"));
}

TEST(FenkFormat, AWrittenVaultWrapsTheDocumentInFillerAndReadsBack)
{
    QTemporaryDir folder;
    const QString vault = folder.filePath(QStringLiteral("vault.fkx"));
    const TNECrypt crypt = CryptWithKey("fenk-public");
    QSet<QByteArray> fileContents;
    for (int write = 0; write < 40; ++write) {
        WriteVaultFile(vault, crypt, WriteDocument);
        const QByteArray file = ReadFile(vault);
        fileContents.insert(file);
        ASSERT_TRUE(file.startsWith("FKX2;"));
        EXPECT_EQ((file.size() - 5) % 8, 0);

        const QByteArray plain = Decipher(vault, QStringLiteral("fenk-public"));
        const qsizetype documentAt = plain.indexOf('<');
        ASSERT_GE(documentAt, 0);
        ASSERT_LE(documentAt, 8);
        EXPECT_EQ(plain.mid(documentAt, Document.size()), Document);
        const qsizetype tailLength = plain.size() - documentAt - Document.size();
        EXPECT_LE(tailLength, 7);
        EXPECT_TRUE(IsFiller(QByteArrayView(plain).first(documentAt)));
        EXPECT_TRUE(IsFiller(QByteArrayView(plain).last(tailLength)));
    }
    EXPECT_GT(fileContents.size(), 30);
}

TEST(FenkFormat, WritingWithoutAKeyOrAFailingDocumentLeavesTheFileUntouched)
{
    QTemporaryDir folder;
    const QString vault = folder.filePath(QStringLiteral("vault.fkx"));
    QFile previous(vault);
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
    previous.write("FKX2;previous");
    previous.close();

    bool documentWritten = false;
    EXPECT_THROW(WriteVaultFile(vault, TNECrypt(), [&](QIODevice&) { documentWritten = true; }), ENEInvalidCryptKeyErr);
    EXPECT_FALSE(documentWritten);

    const TNECrypt crypt = CryptWithKey("key");
    EXPECT_THROW(WriteVaultFile(vault, crypt, [](QIODevice&) { throw ENEAbort(); }), ENEAbort);

    InjectSaveFailure(TNESaveStep::ReplaceTarget);
    EXPECT_THROW(WriteVaultFile(vault, crypt, WriteDocument), ENESystemErr);
    EXPECT_EQ(ReadFile(vault), QByteArray("FKX2;previous"));
}

TEST(FenkFormat, AVaultLockedByAnotherProcessIsAReadFailure)
{
    QTemporaryDir folder;
    const QString vault = folder.filePath(QStringLiteral("vault.fkx"));
    const TNECrypt crypt = CryptWithKey("key");
    WriteVaultFile(vault, crypt, WriteDocument);
    const QByteArray written = ReadFile(vault);

    const TLockHolder holder(vault, LOCK_EX);
    for (const auto& access : {std::function<void()>([&] { ReadVaultFile(vault); }),
                               std::function<void()>([&] { WriteVaultFile(vault, crypt, WriteDocument); })}) {
        try {
            access();
            ADD_FAILURE() << "no exception";
        } catch (const ENESystemErr& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("The file is locked by another process"));
        }
    }
    EXPECT_EQ(ReadFile(vault), written);
}

TEST(FenkFormat, ADocumentLargerThanTheFirstAllocationRoundTrips)
{
    QByteArray largeDocument;
    for (int row = 0; row < 5000; ++row)
        largeDocument += "<ROW ID=\"" + QByteArray::number(row) + "\">example.com;alice;secret;</ROW>\r\n";
    const TNECrypt crypt = CryptWithKey("large");
    TNESecureBytes payload = ComposePayload(crypt, [&](QIODevice& Device) {
        for (qsizetype offset = 0; offset < largeDocument.size(); offset += 1000)
            Device.write(largeDocument.mid(offset, 1000));
    });
    crypt.DecryptBuffer(payload.Bytes().data(), payload.Bytes().size());
    EXPECT_EQ(payload.Bytes().mid(payload.Bytes().indexOf('<'), largeDocument.size()), largeDocument);
}
