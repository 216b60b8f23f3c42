#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <string>
#include <vector>

// A secret to look for in the process's memory, held masked so that the scan never finds the test's own copy.
// Build it straight from read-only data (a literal) or from the memory that holds the secret.
class TMemoryNeedle
{
public:
    TMemoryNeedle(std::string Name, QByteArrayView Bytes);
    // The UTF-16 code units of a literal, as a QString holds them.
    TMemoryNeedle(std::string Name, const char16_t* Text);

    const std::string& Name() const { return Name_; }
    // Whether Memory holds the secret at its start; it must hold Size() bytes.
    bool IsAt(const char* Memory) const;
    char FirstByte() const { return char(Masked_.front() ^ Mask); }
    qsizetype Size() const { return Masked_.size(); }

private:
    static constexpr char Mask = char(0xA5);
    std::string Name_;
    QByteArray Masked_;
};

// Adds needles for the expanded cipher tables of a key: a piece of the subkeys and of each S-box, taken from the
// tables before they are cleared.
void AddCipherTableNeedles(std::vector<TMemoryNeedle>& Needles, const char* Key, const std::string& Name);

// Adds needles for every login password of the vault vector "vault-a", Latin-1 (its key bytes) and UTF-16, named by
// their row: a name holding the secret would be found itself.
void AddVaultPasswordNeedles(std::vector<TMemoryNeedle>& Needles);

// Fails the test for each needle found in writable memory, with its count. A secret kept on the heap during the scan
// must be found once, or the scan itself would be broken.
void ExpectNoneInWritableMemory(std::vector<TMemoryNeedle> Needles);

// Looks for the needles in the process's writable memory (its heap, stacks, data and anonymous mappings),
// read through /proc/self/mem so that freed memory is read too: the name of a needle for every place it is found.
std::vector<std::string> FindInWritableMemory(const std::vector<TMemoryNeedle>& Needles);
