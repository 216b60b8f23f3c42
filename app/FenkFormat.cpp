#include "app/FenkFormat.h"

#include "foundation/NInteger.h"

#include <QRandomGenerator>
#include <QtEndian>

#include <array>

namespace {

constexpr char Magic[] = "FKX";
constexpr qsizetype MagicLength = 3;
constexpr char Separator = ';';
constexpr qsizetype BlockSize = 8;
constexpr int LeadFillerDraws = 8;

constexpr qsizetype InitialPayloadCapacity = 16 * 1024;

// The most-significant-bit-first CRC table of the polynomial 0x04C11DB7.
constexpr std::array<quint32, 256> ChecksumTable = [] {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 value = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ 0x04C11DB7u : value << 1;
        table[i] = value;
    }
    return table;
}();

bool IsFillerByte(quint32 Byte)
{
    return (Byte >= '0' && Byte <= '9') || (Byte >= 'A' && Byte <= 'Z') || (Byte >= 'a' && Byte <= 'z');
}

// Draws a number 0..255 and writes it when it is an ASCII letter or digit.
void DrawFillerByte(QIODevice& Payload)
{
    const quint32 draw = QRandomGenerator::system()->bounded(256u);
    if (IsFillerByte(draw))
        Payload.putChar(char(draw));
}

} // namespace

TNESecureBytes KeyFromPassword(QStringView Password)
{
    TNESecureBytes key;
    key.Reserve(Password.size() * 2);
    for (QChar unit : Password) {
        key.Bytes().append(char(unit.unicode() & 0xFF));
        if (unit.unicode() >> 8)
            key.Bytes().append(char(unit.unicode() >> 8));
    }
    return key;
}

quint32 Checksum(QByteArrayView Bytes)
{
    if (Bytes.isEmpty())
        return 0;
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : Bytes)
        crc = ChecksumTable[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

TNESecureBytes ComposePayload(const TNECrypt& Crypt, const TFenkDocumentWriter& WriteDocument)
{
    if (!Crypt.HasKey())
        throw ENEInvalidCryptKeyErr();
    TNESecureBytes payload;
    payload.Reserve(InitialPayloadCapacity);
    {
        TNESecureBytesDevice device(payload);
        device.open(QIODevice::WriteOnly);
        for (int draw = 0; draw < LeadFillerDraws; ++draw)
            DrawFillerByte(device);
        WriteDocument(device);
        while (device.size() % BlockSize != 0)
            DrawFillerByte(device);
    }
    Crypt.EncryptBuffer(payload.Bytes().data(), payload.Bytes().size());
    return payload;
}

TNEFileFingerprint WriteVaultFile(const QString& FileName, const TNECrypt& Crypt,
                                  const TFenkDocumentWriter& WriteDocument)
{
    const TNESecureBytes payload = ComposePayload(Crypt, WriteDocument);
    const QByteArray header = Magic + QByteArray::number(FenkFileVersion) + Separator;
    return SaveFileAtomically(FileName, {header, payload.Bytes()});
}

TFenkFileContent ReadVaultBytes(QByteArray FileBytes)
{
    TFenkFileContent content;
    if (FileBytes.isEmpty())
        return content;
    if (!FileBytes.startsWith(Magic))
        throw ENEFileTypeErr();
    const qsizetype separator = FileBytes.indexOf(Separator, MagicLength);
    const qsizetype versionEnd = separator < 0 ? FileBytes.size() : separator;
    content.Version = ParseInteger(QByteArrayView(FileBytes).sliced(MagicLength, versionEnd - MagicLength), -1);
    if (content.Version != 1 && content.Version != 2)
        throw ENEFileVersionErr();
    FileBytes.remove(0, qMin(versionEnd + 1, FileBytes.size()));
    content.Payload = TNESecureBytes(std::move(FileBytes));
    return content;
}

void RequireWholeBlocks(const TFenkFileContent& Content)
{
    if (Content.Version == 2 && Content.Payload.Bytes().size() % BlockSize != 0)
        throw ENEFileDamagedErr();
}

TFenkFileContent ReadVaultFile(const QString& FileName)
{
    TNEFileFingerprint fingerprint;
    TFenkFileContent content = ReadVaultBytes(ReadLockedFile(FileName, &fingerprint));
    content.Fingerprint = std::move(fingerprint);
    return content;
}

void DecipherPayload(TFenkFileContent& Content, QStringView Password, TNECrypt& Crypt)
{
    const TNESecureBytes key = KeyFromPassword(Password);
    if (key.Bytes().isEmpty()) {
        Crypt.ClearKey();
        throw ENEInvalidPasswordErr();
    }
    QByteArray& payload = Content.Payload.Bytes();
    if (Content.Version == 1) {
        TNESecureBytes state(QByteArray(4, '\0'));
        qToLittleEndian(Checksum(key.Bytes()), state.Bytes().data());
        Crypt.SetKey(key.Bytes().constData(), key.Bytes().size());
        StreamDecode(payload.data(), payload.size(), reinterpret_cast<std::uint8_t*>(state.Bytes().data()),
                     state.Bytes().size());
    } else {
        Crypt.SetKey(key.Bytes().constData(), key.Bytes().size());
        Crypt.DecryptBuffer(payload.data(), payload.size());
    }
}
