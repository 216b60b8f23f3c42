#pragma once

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <QStringView>

// File names: %, /, :, <, >, ?, \ and | become "%" and two hexadecimal digits, so a name is valid everywhere.
QString PercentEncode(QStringView Text);
QString PercentDecode(QStringView Text);
bool IsValidFileName(QStringView Text);

// -1, 0 or 1 as Left is earlier, equal to or later than Right.
int CompareFloats(double Left, double Right);

// The entry's last write time in local time; invalid when the entry does not exist.
QDateTime FileDateTime(const QFileInfo& Entry);
// True when the file exists or could be created (empty, readable and writable by its owner only).
bool CanCreateFile(const QString& FileName);
// The absolute path with each component in the letter case it has on disk.
QString ExactCasePath(const QString& Path);
// True for an existing folder that is the root of a mounted file system.
bool IsDriveRoot(const QString& Path);
bool FolderExists(const QString& Path);
bool FileExists(const QString& Path);
