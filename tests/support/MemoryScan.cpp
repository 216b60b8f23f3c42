#include "tests/support/MemoryScan.h"

#include "foundation/NCrypt.h"
#include "foundation/NSecureBuffer.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::size_t ChunkSize = 1 << 20;
// Larger mappings are the sanitizers' shadow memory, reserved but never holding what the program stored.
constexpr quint64 LargestRegion = quint64(1) << 32;

struct TRegion
{
    quint64 Start;
    quint64 End;
};

std::vector<TRegion> WritableRegions()
{
    std::vector<TRegion> regions;
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return regions;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || !fields.at(1).startsWith("rw"))
            continue;
        const QList<QByteArray> range = fields.at(0).split('-');
        const TRegion region{range.value(0).toULongLong(nullptr, 16), range.value(1).toULongLong(nullptr, 16)};
        if (region.End > region.Start && region.End - region.Start <= LargestRegion)
            regions.push_back(region);
    }
    return regions;
}

// A buffer of its own mapping, skipped by the scan and zeroed when done.
class TScanBuffer
{
public:
    explicit TScanBuffer(std::size_t Size)
        : Size_(Size),
          Memory_(static_cast<char*>(::mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)))
    {}
    ~TScanBuffer()
    {
        ::explicit_bzero(Memory_, Size_);
        ::munmap(Memory_, Size_);
    }
    TScanBuffer(const TScanBuffer&) = delete;
    TScanBuffer& operator=(const TScanBuffer&) = delete;

    char* Data() const { return Memory_; }
    bool Overlaps(const TRegion& Region) const
    {
        const quint64 start = quint64(reinterpret_cast<quintptr>(Memory_));
        return Region.Start < start + Size_ && start < Region.End;
    }

private:
    std::size_t Size_;
    char* Memory_;
};

} // namespace

TMemoryNeedle::TMemoryNeedle(std::string Name, QByteArrayView Bytes) : Name_(std::move(Name)), Masked_(Bytes.size(), 0)
{
    for (qsizetype index = 0; index < Bytes.size(); ++index)
        Masked_[index] = char(Bytes[index] ^ Mask);
}

TMemoryNeedle::TMemoryNeedle(std::string Name, const char16_t* Text)
    : TMemoryNeedle(std::move(Name), QByteArrayView(reinterpret_cast<const char*>(Text),
                                                    qsizetype(std::char_traits<char16_t>::length(Text) * 2)))
{}

bool TMemoryNeedle::IsAt(const char* Memory) const
{
    for (qsizetype index = 0; index < Masked_.size(); ++index)
        if (char(Memory[index] ^ Mask) != Masked_[index])
            return false;
    return true;
}

void AddCipherTableNeedles(std::vector<TMemoryNeedle>& Needles, const char* Key, const std::string& Name)
{
    TNECrypt crypt;
    crypt.SetKey(Key, qsizetype(std::strlen(Key)));
    Needles.emplace_back(Name + " subkeys", QByteArrayView(reinterpret_cast<const char*>(crypt.P()), 32));
    for (int box = 0; box < 4; ++box)
        Needles.emplace_back(Name + " S-box " + std::to_string(box),
                             QByteArrayView(reinterpret_cast<const char*>(crypt.S() + box * 256 + 100), 32));
    crypt.ClearKey();
}

std::vector<std::string> FindInWritableMemory(const std::vector<TMemoryNeedle>& Needles)
{
    std::vector<std::string> found;
    qsizetype overlap = 0;
    for (const TMemoryNeedle& needle : Needles)
        overlap = std::max(overlap, needle.Size());
    const int memory = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    if (memory < 0)
        return {"/proc/self/mem cannot be read"};
    const TScanBuffer buffer(ChunkSize + std::size_t(overlap));
    for (const TRegion& region : WritableRegions()) {
        if (buffer.Overlaps(region))
            continue;
        for (quint64 position = region.Start; position < region.End; position += ChunkSize) {
            const std::size_t wanted = std::size_t(std::min<quint64>(ChunkSize + overlap, region.End - position));
            const ssize_t length = ::pread(memory, buffer.Data(), wanted, off_t(position));
            if (length <= 0)
                break;
            // A needle is counted where it starts, so one across two chunks is counted once.
            const std::size_t starts = std::min<std::size_t>(std::size_t(length), ChunkSize);
            for (const TMemoryNeedle& needle : Needles) {
                const char* data = buffer.Data();
                const char* end = data + length - needle.Size();
                for (const char* at = data; at <= end && at < data + starts; ++at) {
                    at = static_cast<const char*>(std::memchr(at, needle.FirstByte(), std::size_t(end - at + 1)));
                    if (!at || at >= data + starts)
                        break;
                    if (needle.IsAt(at))
                        found.push_back(needle.Name());
                }
            }
        }
    }
    ::close(memory);
    return found;
}

void AddVaultPasswordNeedles(std::vector<TMemoryNeedle>& Needles)
{
    static const struct
    {
        const char* Latin1;
        const char16_t* Utf16;
    } passwords[] = {{"correct horse", u"correct horse"}, {"Tr0ub4dor&3", u"Tr0ub4dor&3"}, {"p4ssw0rd", u"p4ssw0rd"}};
    for (std::size_t row = 0; row < std::size(passwords); ++row) {
        Needles.emplace_back("password of login " + std::to_string(row), QByteArrayView(passwords[row].Latin1));
        Needles.emplace_back("password of login " + std::to_string(row) + " UTF-16", passwords[row].Utf16);
    }
}

void ExpectNoneInWritableMemory(std::vector<TMemoryNeedle> Needles)
{
    static constexpr char16_t kept16[] = u"Hx5%kept-by-the-scan";
    Needles.emplace_back("kept", kept16);
    const TNESecureText kept(QString::fromUtf16(kept16));
    std::map<std::string, int> found;
    for (const std::string& name : FindInWritableMemory(Needles))
        ++found[name];
    EXPECT_EQ(found["kept"], 1) << "the scan misses what is there";
    found.erase("kept");
    for (const auto& [name, count] : found)
        ADD_FAILURE() << name << " found " << count << " times";
}
