#pragma once

// The vault the scale benchmarks open: realistic logins, written by the program's own document as a Fenk vault,
// and the same logins as a KeePass XML export for the peer's import.

#include "app/cli/CliLogins.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Count logins drawn from a fixed seed: sites and login names as people keep them, passwords of 10 to 24
// characters, and a note of two to four lines in one login of ten.
std::vector<TCliLogin> GenerateLogins(int Count);

// Writes the logins into a new vault FileName under MasterPassword, with the document and the store's writer.
void WriteFenkVault(const QString& FileName, const QString& MasterPassword, const std::vector<TCliLogin>& Logins);

// The logins as a KeePass 2 XML file, one entry each in the root group.
QByteArray KeePassXml(const std::vector<TCliLogin>& Logins);
