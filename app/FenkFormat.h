#pragma once

#include "foundation/NCrypt.h"
#include "foundation/NException.h"
#include "foundation/NFile.h"
#include "foundation/NSecureBuffer.h"

#include <QIODevice>
#include <QString>

#include <functional>

NE_DECLARE_ERROR(ENEInvalidPasswordErr, ENEException, "Invalid password");
NE_DECLARE_ERROR(ENEFileTypeErr, ENEException, "The file type is not supported");
NE_DECLARE_ERROR(ENEFileVersionErr, ENEException, "The file version is not supported");
NE_DECLARE_ERROR(ENEFileDamagedErr, ENEException, "The file is damaged: it does not end on a whole cipher block");

// The version this program writes; versions 1 and 2 are read.
inline constexpr int FenkFileVersion = 2;

// A vault file as read: its version and the payload, enciphered until DecipherPayload turns it, in place, into the
// plain payload (lead filler, XML document, tail filler), which is zeroed when the content goes away; and the
// fingerprint of the file read (none for contents split from bytes).
struct TFenkFileContent
{
    int Version = FenkFileVersion;
    TNESecureBytes Payload;
    TNEFileFingerprint Fingerprint;
};

// Writes the XML document into the device, which stands right after the lead filler.
using TFenkDocumentWriter = std::function<void(QIODevice& Device)>;

// The cipher key of a master password: for each UTF-16 code unit its low byte, then its high byte unless zero.
TNESecureBytes KeyFromPassword(QStringView Password);

// The 32-bit checksum of key bytes that seeds the stream decoder of version-1 files; 0 for no bytes.
quint32 Checksum(QByteArrayView Bytes);

// The enciphered version-2 payload: lead filler, the document, tail filler up to a multiple of 8 bytes, all
// enciphered with Crypt. Without a key raises ENEInvalidCryptKeyErr before the document is written.
TNESecureBytes ComposePayload(const TNECrypt& Crypt, const TFenkDocumentWriter& WriteDocument);

// Composes the payload and replaces FileName with the header and the payload; the previous file survives failures.
// Returns the fingerprint of the file written.
TNEFileFingerprint WriteVaultFile(const QString& FileName, const TNECrypt& Crypt,
                                  const TFenkDocumentWriter& WriteDocument);

// Splits the bytes of a vault file into version and payload. An empty file is an empty version-2 vault. Raises
// ENEFileTypeErr without the magic "FKX" and ENEFileVersionErr for a version other than 1 or 2.
TFenkFileContent ReadVaultBytes(QByteArray FileBytes);

// Raises ENEFileDamagedErr for a version-2 payload that does not fill whole cipher blocks, as every one written
// does: bytes of the file are missing or were added.
void RequireWholeBlocks(const TFenkFileContent& Content);

// Reads a vault file under a shared lock: the failures of ReadVaultBytes, or ENESystemErr when the file cannot be
// read, ENEFileLockedErr when another process holds it, ENENotRegularFileErr for anything but a regular file.
TFenkFileContent ReadVaultFile(const QString& FileName);

// Deciphers the payload in place with the key of Password and leaves that key set in Crypt; the caller keeps the
// password in a secure text. A password giving no key bytes clears the key of Crypt and raises
// ENEInvalidPasswordErr.
void DecipherPayload(TFenkFileContent& Content, QStringView Password, TNECrypt& Crypt);
