#pragma once

#include <QFlags>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <vector>

// What the file locator learns of a folder's entries: one read of the folder, one status query per entry, and the
// kind, size, time and attributes of each; the wildcard its path box filters files with; the mounted volumes a user
// would pick.

enum TNEFileAttribute
{
    // A folder, or a link to one.
    faDirectory = 0x1,
    // A device, socket or pipe, or a link whose target is missing.
    faSpecial = 0x2,
    // The name starts with ".".
    faHidden = 0x4,
    // This user may not write it (also everything on a volume mounted read-only).
    faReadOnly = 0x8,
};
Q_DECLARE_FLAGS(TNEFileAttributes, TNEFileAttribute)
Q_DECLARE_OPERATORS_FOR_FLAGS(TNEFileAttributes)

// One entry of a folder. A link counts as what it points to: a folder, or a file with its target's size and time.
struct TNESearchRec
{
    QString Name;
    TNEFileAttributes Attributes;
    // Bytes; 0 for a folder.
    qint64 Size = 0;
    // The last modification, in milliseconds since the epoch; 0 or less when the system has none.
    qint64 LastWriteTime = 0;

    bool IsFolder() const { return Attributes.testFlag(faDirectory); }
};

// The letters of the attributes present, in the order "D", "S", "H", "R".
QString AttributeLetters(TNEFileAttributes Attributes);

// Every entry of the folder but "." and "..", in the order the folder keeps them; empty when the folder cannot be
// read (missing, not a folder, no permission). An entry that vanishes while the folder is read is left out.
std::vector<TNESearchRec> ReadFolder(const QString& Path);

// A wildcard for file names: "*" stands for any run of characters and "?" for any one, without regard to case.
// A pattern ending in ".*" also matches the names its front matches without a dot, so "*.*" matches every name.
class TNEFileMask
{
public:
    explicit TNEFileMask(QStringView Pattern);

    bool Matches(QStringView Name) const;

private:
    static bool MatchesPattern(QStringView Pattern, QStringView Name);

    QString Pattern_;
    // The pattern without its final ".*", when it has one; null otherwise.
    QString OptionalExtensionFront_;
};

// A mounted volume: where it is mounted ("/" for the root), and its label or else its device ("" when neither).
struct TNEVolume
{
    QString Path;
    QString Label;
};

// The mounted, ready volumes a user would choose a folder on, in the order the system lists them: no pseudo file
// systems (proc, sysfs, cgroup, devices, kernel interfaces), no memory file systems of the system under /run, /dev
// or /sys, no container layers, no snap images, no single files mounted over files.
std::vector<TNEVolume> PickableVolumes();
