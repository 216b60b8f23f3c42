#pragma once

#include "app/cli/CliLogins.h"
#include "foundation/NSecureBuffer.h"

#include <QByteArrayView>

#include <vector>

// An input to import that is not an array of logins.
NE_DECLARE_ERROR(ECliImportErr, ENEException, "The logins cannot be imported");

// The layouts logins are exported in and imported from.
enum class TCliExchangeFormat
{
    Csv,
    Json,
};

// "csv" or "json"; raises ECliUsageErr for anything else.
TCliExchangeFormat ExchangeFormatNamed(const QString& Name);

// The logins as UTF-8: CSV with the header "site,login,password,note", or one JSON array of objects with the keys
// id, site, login, password and note. The bytes are zeroed when they go away.
TNESecureBytes ExportLogins(const std::vector<TCliLogin>& Logins, TCliExchangeFormat Format);

// Reads logins in either layout (CSV must start with its header line; JSON ids are ignored). Raises ECliCsvErr or
// ENEException naming what is wrong; nothing is read from a malformed input.
std::vector<TCliLogin> ImportLogins(QByteArrayView Bytes, TCliExchangeFormat Format);
