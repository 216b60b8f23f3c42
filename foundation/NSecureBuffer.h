#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <utility>

// Overwrites memory with zeros in a way the compiler may not drop.
void BurnMemory(void* Memory, std::size_t Length);

// Buffers for secrets: key bytes, plain payloads, the XML of a vault, passwords, texts on their way through the
// store. One rule: storage that only the buffer holds is zeroed, all of it, before the buffer lets go of it, when
// it grows, is burnt or goes away; storage that another object shares is never written, its last holder decides.
// Growing goes through Reserve or Append: growing the storage directly would leave the old copy behind unzeroed.
template <typename Storage, typename View> class TNESecureStorage
{
public:
    TNESecureStorage() = default;
    explicit TNESecureStorage(Storage Value) : Value_(std::move(Value)) {}
    ~TNESecureStorage() { Burn(); }
    TNESecureStorage(TNESecureStorage&& Other) noexcept : Value_(std::move(Other.Value_)) {}
    TNESecureStorage& operator=(TNESecureStorage&& Other) noexcept
    {
        if (this != &Other) {
            Burn();
            Value_ = std::move(Other.Value_);
        }
        return *this;
    }
    TNESecureStorage(const TNESecureStorage&) = delete;
    TNESecureStorage& operator=(const TNESecureStorage&) = delete;

    bool IsEmpty() const { return Value_.isEmpty(); }

    // Room for Size units at least. When the content has to move, the room at least doubles, so growing unit by
    // unit stays linear, and the storage the content leaves is zeroed.
    void Reserve(qsizetype Size)
    {
        const qsizetype room = Value_.capacity() - Value_.data_ptr().freeSpaceAtBegin();
        if (Size <= room)
            return;
        Storage larger;
        larger.reserve(std::max(Size, 2 * room));
        larger.append(View(Value_));
        Burn();
        Value_ = std::move(larger);
    }

    void Append(View Part)
    {
        Reserve(Value_.size() + Part.size());
        Value_.append(Part);
    }

    // Shortens the content to Size units, zeroing the units cut off.
    void Truncate(qsizetype Size)
    {
        if (Size >= Value_.size())
            return;
        if (Value_.isDetached())
            BurnMemory(Value_.data() + Size, std::size_t(Value_.size() - Size) * sizeof(*Value_.data()));
        Value_.truncate(Size);
    }

    // Empties the buffer. Storage only it holds is zeroed and kept for what comes next; shared storage is let go.
    void Burn()
    {
        if (!Value_.isDetached()) {
            Value_ = Storage();
            return;
        }
        auto& storage = Value_.data_ptr();
        BurnMemory(storage.data() - storage.freeSpaceAtBegin(),
                   std::size_t(storage.constAllocatedCapacity()) * sizeof(*storage.data()));
        Value_.resize(0);
    }

    // Hands the content over whole, without a copy; the receiver takes over zeroing it.
    Storage Take() { return std::exchange(Value_, Storage()); }

protected:
    Storage Value_;
};

// Secret bytes.
class TNESecureBytes : public TNESecureStorage<QByteArray, QByteArrayView>
{
public:
    using TNESecureStorage::TNESecureStorage;

    // The bytes, to read or to change in place.
    QByteArray& Bytes() { return Value_; }
    const QByteArray& Bytes() const { return Value_; }
};

// A secret text.
class TNESecureText : public TNESecureStorage<QString, QStringView>
{
public:
    using TNESecureStorage::TNESecureStorage;

    const QString& Text() const { return Value_; }
};

// A device writing into secure bytes: it grows them through Reserve, so a document written into it leaves no copy
// of itself behind in freed memory. Readers that scan a QBuffer in place (the XML parser) scan these bytes too.
class TNESecureBytesDevice : public QBuffer
{
public:
    explicit TNESecureBytesDevice(TNESecureBytes& Bytes) : QBuffer(&Bytes.Bytes()), Bytes_(Bytes) {}

protected:
    qint64 writeData(const char* Data, qint64 Length) override;

private:
    TNESecureBytes& Bytes_;
};
