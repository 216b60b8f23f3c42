#include "foundation/NFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<TNESaveStep> InjectedSaveFailure;

// Raises ENESystemErr with the system's text when a call failed.
void CheckCall(bool Succeeded)
{
    if (!Succeeded)
        throw ENESystemErr::FromErrno();
}

// Fails a save step before its system call runs, when a test asked for it.
void FailIfInjected(TNESaveStep Step)
{
    if (InjectedSaveFailure == Step) {
        InjectedSaveFailure.reset();
        errno = EIO;
        throw ENESystemErr::FromErrno();
    }
}

// An open file descriptor, closed on destruction (which also releases a flock taken through it).
class TFileDescriptor
{
public:
    explicit TFileDescriptor(int Descriptor) : Descriptor_(Descriptor) {}
    ~TFileDescriptor()
    {
        if (Descriptor_ >= 0)
            ::close(Descriptor_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    int Get() const { return Descriptor_; }
    bool IsOpen() const { return Descriptor_ >= 0; }

    // Closes now and reports whether the close succeeded (a late write error shows up here).
    bool Close()
    {
        const int descriptor = Descriptor_;
        Descriptor_ = -1;
        return ::close(descriptor) == 0;
    }

private:
    int Descriptor_;
};

int OpenWithRetry(const QByteArray& Path, int Flags)
{
    int descriptor;
    do
        descriptor = ::open(Path.constData(), Flags | O_CLOEXEC);
    while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// Takes a non-blocking flock; refused by another holder raises ENEFileLockedErr.
void Lock(const TFileDescriptor& File, int Operation)
{
    int result;
    do
        result = ::flock(File.Get(), Operation | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0 && errno == EWOULDBLOCK)
        throw ENEFileLockedErr();
    CheckCall(result == 0);
}

void WriteAll(const TFileDescriptor& File, QByteArrayView Bytes)
{
    const char* data = Bytes.data();
    qsizetype remaining = Bytes.size();
    while (remaining > 0) {
        const ssize_t written = ::write(File.Get(), data, std::size_t(remaining));
        if (written < 0 && errno == EINTR)
            continue;
        CheckCall(written > 0);
        data += written;
        remaining -= written;
    }
}

// The temporary file of a save, removed unless it has been renamed over the target.
class TTemporaryFile
{
public:
    explicit TTemporaryFile(const QString& TargetPath)
        : Path_(QFile::encodeName(TargetPath + QStringLiteral(".XXXXXX"))), File_(CreateUnique(Path_))
    {}
    ~TTemporaryFile()
    {
        if (!Path_.isEmpty())
            ::unlink(Path_.constData());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    TFileDescriptor& File() { return File_; }

    void RenameOver(const QByteArray& TargetPath)
    {
        FailIfInjected(TNESaveStep::ReplaceTarget);
        CheckCall(::rename(Path_.constData(), TargetPath.constData()) == 0);
        Path_.clear();
    }

private:
    // Creates the file from the template, replacing its XXXXXX; on failure the template is cleared so that nothing
    // is removed later.
    static int CreateUnique(QByteArray& PathTemplate)
    {
        FailIfInjected(TNESaveStep::CreateTemporary);
        const int descriptor = ::mkostemp(PathTemplate.data(), O_CLOEXEC);
        if (descriptor < 0) {
            const int error = errno;
            PathTemplate.clear();
            errno = error;
        }
        CheckCall(descriptor >= 0);
        return descriptor;
    }

    QByteArray Path_;
    TFileDescriptor File_;
};

void SyncFolder(const QString& FolderPath)
{
    FailIfInjected(TNESaveStep::SyncFolder);
    const TFileDescriptor folder(OpenWithRetry(QFile::encodeName(FolderPath), O_RDONLY | O_DIRECTORY));
    CheckCall(folder.IsOpen() && ::fsync(folder.Get()) == 0);
}

} // namespace

QByteArray ReadLockedFile(const QString& FileName)
{
    const TFileDescriptor file(OpenWithRetry(QFile::encodeName(FileName), O_RDONLY));
    CheckCall(file.IsOpen());
    Lock(file, LOCK_SH);
    QByteArray content;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(file.Get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        CheckCall(count >= 0);
        if (count == 0)
            return content;
        content.append(chunk, count);
    }
}

void SaveFileAtomically(const QString& FileName, std::initializer_list<QByteArrayView> Parts)
{
    // Saving through a symbolic link replaces the file it points to, not the link.
    const QFileInfo target(FileName);
    const QString targetPath = target.exists() ? target.canonicalFilePath() : target.absoluteFilePath();
    const QByteArray encodedTarget = QFile::encodeName(targetPath);

    TFileDescriptor existing(OpenWithRetry(encodedTarget, O_RDONLY));
    CheckCall(existing.IsOpen() || errno == ENOENT);
    mode_t permissions = S_IRUSR | S_IWUSR;
    if (existing.IsOpen()) {
        FailIfInjected(TNESaveStep::LockTarget);
        Lock(existing, LOCK_EX);
        struct stat status;
        CheckCall(::fstat(existing.Get(), &status) == 0);
        permissions = status.st_mode & 07777;
    }

    TTemporaryFile temporary(targetPath);
    CheckCall(::fchmod(temporary.File().Get(), permissions) == 0);
    FailIfInjected(TNESaveStep::WriteContent);
    for (QByteArrayView part : Parts)
        WriteAll(temporary.File(), part);
    FailIfInjected(TNESaveStep::SyncTemporary);
    CheckCall(::fsync(temporary.File().Get()) == 0 && temporary.File().Close());
    temporary.RenameOver(encodedTarget);
    SyncFolder(QFileInfo(targetPath).absolutePath());
}

void InjectSaveFailure(std::optional<TNESaveStep> Step)
{
    InjectedSaveFailure = Step;
}
