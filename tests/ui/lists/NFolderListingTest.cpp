#include "ui/lists/NFolderListing.h"

#include "tests/support/TemporaryFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsSuperuser()
{
    return ::geteuid() == 0;
}

} // namespace

TEST(NFolderListing, ReadFolderTellsKindSizeTimeAndAttributesOfEveryEntry)
{
    TTemporaryFolder folder;
    const QString file = folder.WriteFile(QStringLiteral("vault.fkx"), QByteArray(1234, 'x'));
    const QDateTime written(QDate(2024, 2, 29), QTime(23, 59, 59));
    {
        QFile touched(file);
        ASSERT_TRUE(touched.open(QIODevice::ReadWrite) && touched.setFileTime(written, QFile::FileModificationTime));
    }
    folder.WriteFile(QStringLiteral(".profile"), "p");
    const QString locked = folder.WriteFile(QStringLiteral("locked.txt"), "l");
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner));
    ASSERT_TRUE(QDir(folder.Path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(folder.FilePath(QStringLiteral("sub")), folder.FilePath(QStringLiteral("to-sub"))));
    ASSERT_TRUE(QFile::link(file, folder.FilePath(QStringLiteral("to-vault"))));
    ASSERT_TRUE(QFile::link(folder.FilePath(QStringLiteral("gone")), folder.FilePath(QStringLiteral("dangling"))));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.FilePath(QStringLiteral("pipe"))).constData(), 0600), 0);

    // The superuser may write everything, so only others see "R" on the file without write permission.
    const QString lockedLetters = IsSuperuser() ? QString() : QStringLiteral("R");
    const std::map<QString, std::pair<QString, qint64>> expected = {
        {QStringLiteral("vault.fkx"), {QString(), 1234}},        {QStringLiteral(".profile"), {QStringLiteral("H"), 1}},
        {QStringLiteral("locked.txt"), {lockedLetters, 1}},      {QStringLiteral("sub"), {QStringLiteral("D"), 0}},
        {QStringLiteral("to-sub"), {QStringLiteral("D"), 0}},    {QStringLiteral("to-vault"), {QString(), 1234}},
        {QStringLiteral("dangling"), {QStringLiteral("S"), -1}}, {QStringLiteral("pipe"), {QStringLiteral("S"), 0}},
    };
    std::map<QString, TNESearchRec> found;
    for (const TNESearchRec& entry : ReadFolder(folder.Path()))
        found[entry.Name] = entry;
    ASSERT_EQ(found.size(), expected.size()) << "every entry but . and .., once";
    for (const auto& [name, letters] : expected) {
        const TNESearchRec& entry = found[name];
        EXPECT_EQ(AttributeLetters(entry.Attributes), letters.first) << name.toStdString();
        if (letters.second >= 0) {
            EXPECT_EQ(entry.Size, letters.second) << name.toStdString();
        }
    }
    EXPECT_EQ(found[QStringLiteral("vault.fkx")].LastWriteTime, written.toMSecsSinceEpoch());
    EXPECT_EQ(found[QStringLiteral("to-vault")].LastWriteTime, written.toMSecsSinceEpoch()) << "the target's time";
    EXPECT_EQ(AttributeLetters(faReadOnly | faHidden | faSpecial | faDirectory), QStringLiteral("DSHR"));

    const QString unreadable = folder.FilePath(QStringLiteral("sub"));
    ASSERT_TRUE(QFile::setPermissions(unreadable, QFile::WriteOwner));
    for (const QString& path : {folder.FilePath(QStringLiteral("missing")), file, unreadable}) {
        if (path != unreadable || !IsSuperuser()) {
            EXPECT_TRUE(ReadFolder(path).empty()) << path.toStdString();
        }
    }
    QFile::setPermissions(unreadable, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(NFolderListing, FileMaskMatchesWildcardsWithoutRegardToCase)
{
    const struct
    {
        const char* Pattern;
        const char* Name;
        bool Matches;
    } cases[] = {
        {"*.fkx", "vault.fkx", true},
        {"*.fkx", "VAULT.FKX", true},
        {"*.FKX", "vault.fkx", true},
        {"*.fkx", "vault.fkx.bak", false},
        {"*.fkx", "fkx", false},
        {"*.*", "README", true},
        {"*.*", ".profile", true},
        {"*", "", true},
        {"v?ult.*", "vault", true},
        {"v?ult.*", "vault.txt", true},
        {"v?ult.*", "vaults.txt", false},
        {"*a*b*c", "xaxbxc", true},
        {"*a*b*c", "xaxcxb", false},
        {"ä*.fkx", "Ärger.fkx", true},
        {"[a].fkx", "[a].fkx", true},
        {"[a].fkx", "a.fkx", false},
        {"", "a", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TNEFileMask(QString::fromUtf8(c.Pattern)).Matches(QString::fromUtf8(c.Name)), c.Matches)
            << c.Pattern << " on " << c.Name;
    }
}

TEST(NFolderListing, PickableVolumesOfferTheRootButNoPseudoFileSystems)
{
    const std::vector<TNEVolume> volumes = PickableVolumes();
    EXPECT_TRUE(std::any_of(volumes.begin(), volumes.end(), [](const TNEVolume& Volume) {
        return Volume.Path == u"/";
    })) << "the root is always offered";
    for (const TNEVolume& volume : volumes) {
        for (const char* system : {"/proc", "/sys", "/dev/pts", "/run/lock"})
            EXPECT_FALSE(volume.Path == QLatin1String(system) || volume.Path.startsWith(QLatin1String("/proc/")))
                << volume.Path.toStdString();
        EXPECT_TRUE(QFileInfo(volume.Path).isDir()) << volume.Path.toStdString();
    }
}
