#include "foundation/NFileUtilities.h"

#include "foundation/NEscapes.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

namespace {

constexpr QChar PercentEscape = u'%';
// Characters that some file systems refuse in a name.
constexpr QStringView FileNameSpecials = u"/:<>?\\|";

// An exact match of Name in Folder, else the first case-insensitive match of the wanted kind in name order, else
// Name itself.
QString NameOnDisk(const QString& Folder, const QString& Name, bool WantFolder)
{
    if (QFileInfo::exists(Folder + Name))
        return Name;
    const QDir::Filters kind = WantFolder ? QDir::Dirs : QDir::Files | QDir::System;
    const QStringList entries = QDir(Folder).entryList(kind | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(Name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return Name;
}

} // namespace

QString PercentEncode(QStringView Text)
{
    QString result;
    result.reserve(Text.size());
    for (const QChar character : Text) {
        if (character == PercentEscape || FileNameSpecials.contains(character))
            AppendEscape(result, PercentEscape, character.unicode(), 2);
        else
            result.append(character);
    }
    return result;
}

QString PercentDecode(QStringView Text)
{
    return DecodeEscapes(Text, PercentEscape, 2);
}

bool IsValidFileName(QStringView Text)
{
    // A NUL cannot be part of a Linux file name: it would silently cut the name short.
    for (const QChar character : Text) {
        if (character.isNull() || FileNameSpecials.contains(character))
            return false;
    }
    return true;
}

int CompareFloats(double Left, double Right)
{
    return (Left > Right) - (Left < Right);
}

QDateTime FileDateTime(const QFileInfo& Entry)
{
    if (!Entry.exists())
        return {};
    return Entry.lastModified().toLocalTime();
}

bool CanCreateFile(const QString& FileName)
{
    if (FileExists(FileName))
        return true;
    QFile file(FileName);
    if (file.open(QIODevice::ReadWrite | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return true;
    return FileExists(FileName); // another process may have created it in the meantime
}

QString ExactCasePath(const QString& Path)
{
    const QString absolute = QDir::isRelativePath(Path) ? QDir::currentPath() + u'/' + Path : Path;
    const bool endsWithFolder = absolute.endsWith(u'/');
    const QStringList components = absolute.split(u'/', Qt::SkipEmptyParts);
    QString result = QStringLiteral("/");
    for (qsizetype index = 0; index < components.size(); ++index) {
        const QString& component = components[index];
        const bool isFolder = endsWithFolder || index + 1 < components.size();
        if (component == u"." || component == u"..")
            result.append(component);
        else
            result.append(NameOnDisk(result, component, isFolder));
        if (isFolder)
            result.append(u'/');
    }
    return result;
}

bool IsDriveRoot(const QString& Path)
{
    const QFileInfo folder(Path);
    if (!folder.isDir())
        return false;
    const QStorageInfo storage(Path);
    return storage.isValid() && QDir::cleanPath(folder.absoluteFilePath()) == storage.rootPath();
}

bool FolderExists(const QString& Path)
{
    return QFileInfo(Path).isDir();
}

bool FileExists(const QString& Path)
{
    const QFileInfo entry(Path);
    return entry.exists() && !entry.isDir();
}
