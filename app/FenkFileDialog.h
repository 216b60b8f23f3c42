#pragma once

#include <QObject>
#include <QString>

// The folder the vault dialogs start in: the folder of FileName when it exists, else the user's documents folder,
// else the home folder; the first of these that exists or can be created, with a trailing "/". Empty when none can.
QString VaultStartFolder(const QString& FileName);

// Asks for a vault file in the program's own locator, over Owner: an existing ".fkx" file to open ("Open Fenk
// File"), or in SaveMode a name for a new one ("New Fenk File"), starting in VaultStartFolder(FileName). Names of
// vault files are shown percent-decoded. Returns the chosen full path, empty when cancelled or when no starting
// folder could be made.
QString ChooseVaultFile(QObject* Owner, bool SaveMode, const QString& FileName);
