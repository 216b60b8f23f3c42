#include "ui/lists/NFolderListing.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Whether this process may write an entry, told from its status alone, so a listing needs no further system call
// per entry: the owner's, the group's or the others' write bit as they apply to us; everything for the superuser;
// nothing on a volume mounted read-only.
class TWriteAccess
{
public:
    explicit TWriteAccess(int Folder) : User_(::geteuid())
    {
        struct statvfs volume = {};
        ReadOnlyVolume_ = ::fstatvfs(Folder, &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0;
        const int count = ::getgroups(0, nullptr);
        Groups_.resize(std::size_t(std::max(count, 0)));
        if (count > 0 && ::getgroups(count, Groups_.data()) != count)
            Groups_.clear();
        Groups_.push_back(::getegid());
    }

    bool MayWrite(const struct stat& Status) const
    {
        if (ReadOnlyVolume_)
            return false;
        if (User_ == 0)
            return true;
        if (Status.st_uid == User_)
            return (Status.st_mode & S_IWUSR) != 0;
        if (std::find(Groups_.begin(), Groups_.end(), Status.st_gid) != Groups_.end())
            return (Status.st_mode & S_IWGRP) != 0;
        return (Status.st_mode & S_IWOTH) != 0;
    }

private:
    uid_t User_;
    std::vector<gid_t> Groups_;
    bool ReadOnlyVolume_ = false;
};

qint64 MillisecondsOf(const struct timespec& Time)
{
    return qint64(Time.tv_sec) * 1000 + Time.tv_nsec / 1'000'000;
}

bool IsDotOrDotDot(const char* Name)
{
    return Name[0] == '.' && (Name[1] == '\0' || (Name[1] == '.' && Name[2] == '\0'));
}

// File systems of the kernel and of the system's own plumbing, never a place for a user's files.
bool IsPseudoFileSystem(const QByteArray& Type)
{
    static const QSet<QByteArray> pseudo = {"autofs",   "binfmt_misc",     "bpf",        "cgroup",    "cgroup2",
                                            "configfs", "debugfs",         "devpts",     "devtmpfs",  "efivarfs",
                                            "fusectl",  "hugetlbfs",       "mqueue",     "nsfs",      "proc",
                                            "pstore",   "rpc_pipefs",      "securityfs", "selinuxfs", "sysfs",
                                            "tracefs",  "fuse.gvfsd-fuse", "fuse.portal"};
    return pseudo.contains(Type);
}

bool IsBelow(const QString& Path, const QString& Folder)
{
    return Path == Folder || Path.startsWith(Folder + u'/');
}

bool IsPickable(const QStorageInfo& Volume)
{
    if (!Volume.isValid() || !Volume.isReady())
        return false;
    const QString path = Volume.rootPath();
    if (path == u"/")
        return true; // the root is always a place to start from, whatever it is mounted from (a container layer)
    const QByteArray type = Volume.fileSystemType();
    if (IsPseudoFileSystem(type) || IsBelow(path, QStringLiteral("/proc")) || IsBelow(path, QStringLiteral("/sys")))
        return false;
    const bool systemFolder = IsBelow(path, QStringLiteral("/run")) || IsBelow(path, QStringLiteral("/dev"));
    if ((type == "tmpfs" || type == "ramfs") && systemFolder)
        return false;
    if (type == "overlay" || (type == "squashfs" && IsBelow(path, QStringLiteral("/snap"))))
        return false;
    return QFileInfo(path).isDir(); // a single file mounted over another (a container's /etc/hosts) is no volume
}

} // namespace

QString AttributeLetters(TNEFileAttributes Attributes)
{
    // One shared text per combination: a listing of thousands of entries holds a handful of them.
    static const std::array<QString, 16> letters = [] {
        std::array<QString, 16> texts;
        for (int bits = 0; bits < 16; ++bits) {
            const TNEFileAttributes attributes(bits);
            QString& text = texts[std::size_t(bits)];
            if (attributes.testFlag(faDirectory))
                text += u'D';
            if (attributes.testFlag(faSpecial))
                text += u'S';
            if (attributes.testFlag(faHidden))
                text += u'H';
            if (attributes.testFlag(faReadOnly))
                text += u'R';
        }
        return texts;
    }();
    return letters[std::size_t(Attributes.toInt() & 0xF)];
}

std::vector<TNESearchRec> ReadFolder(const QString& Path)
{
    std::vector<TNESearchRec> entries;
    const int folder = ::open(QFile::encodeName(Path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return entries;
    const std::unique_ptr<DIR, int (*)(DIR*)> stream(::fdopendir(folder), &::closedir);
    if (!stream) {
        ::close(folder);
        return entries;
    }
    const TWriteAccess access(folder);
    while (const dirent* entry = ::readdir(stream.get())) {
        if (IsDotOrDotDot(entry->d_name))
            continue;
        struct stat status = {};
        TNEFileAttributes attributes;
        if (::fstatat(folder, entry->d_name, &status, 0) != 0) {
            // A link whose target is missing is listed by its own status; an entry gone meanwhile is left out.
            if (::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            attributes |= faSpecial;
        }
        const bool isFolder = S_ISDIR(status.st_mode);
        if (isFolder)
            attributes |= faDirectory;
        else if (!S_ISREG(status.st_mode))
            attributes |= faSpecial;
        if (entry->d_name[0] == '.')
            attributes |= faHidden;
        if (!access.MayWrite(status))
            attributes |= faReadOnly;
        entries.push_back({QFile::decodeName(entry->d_name), attributes, isFolder ? 0 : qint64(status.st_size),
                           MillisecondsOf(status.st_mtim)});
    }
    return entries;
}

TNEFileMask::TNEFileMask(QStringView Pattern) : Pattern_(Pattern.toString().toCaseFolded())
{
    if (Pattern_.endsWith(QStringLiteral(".*")))
        OptionalExtensionFront_ = Pattern_.chopped(2);
}

bool TNEFileMask::Matches(QStringView Name) const
{
    return MatchesPattern(Pattern_, Name) ||
           (!OptionalExtensionFront_.isNull() && MatchesPattern(OptionalExtensionFront_, Name));
}

bool TNEFileMask::MatchesPattern(QStringView Pattern, QStringView Name)
{
    // Greedy with one step back: on a mismatch the last "*" takes one more character. Linear for one "*", and at
    // worst the pattern's length times the name's for many.
    qsizetype pattern = 0;
    qsizetype name = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (name < Name.size()) {
        if (pattern < Pattern.size() && Pattern[pattern] == u'*') {
            star = pattern++;
            resume = name;
        } else if (pattern < Pattern.size() &&
                   (Pattern[pattern] == u'?' || Pattern[pattern] == Name[name].toCaseFolded())) {
            ++pattern;
            ++name;
        } else if (star >= 0) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (pattern < Pattern.size() && Pattern[pattern] == u'*')
        ++pattern;
    return pattern == Pattern.size();
}

std::vector<TNEVolume> PickableVolumes()
{
    std::vector<TNEVolume> volumes;
    QSet<QString> seen; // a volume mounted twice at one place shows once
    const QList<QStorageInfo> mounted = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& volume : mounted) {
        if (!IsPickable(volume) || seen.contains(volume.rootPath()))
            continue;
        seen.insert(volume.rootPath());
        QString label = volume.name();
        if (label.isEmpty())
            label = QString::fromLocal8Bit(volume.device());
        volumes.push_back({volume.rootPath(), label});
    }
    return volumes;
}
