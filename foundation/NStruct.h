#pragma once

#include "foundation/NException.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <memory>

NE_DECLARE_ERROR(ENEEmptyStructureErr, ENEException, "Empty structure error");
NE_DECLARE_ERROR(ENEInvalidElementErr, ENEException, "Invalid element error");

// A singly linked chain of untyped item references, shared by the list, the queue and the stack. Nodes own their
// successor; the chain is freed link by link so that a long one does not exhaust the stack.
struct TNESimpleNode
{
    std::unique_ptr<TNESimpleNode> Next;
    void* Item = nullptr;
};

// A list of item references with one cursor, walked by First, Next, End and Current. It never owns its items.
// Logically a ring: the successor of the tail is the head, and the cursor rests on the node before the current
// one, so after First it rests on the tail.
class TNESimpleList
{
public:
    TNESimpleList() = default;
    ~TNESimpleList();
    TNESimpleList(const TNESimpleList&) = delete;
    TNESimpleList& operator=(const TNESimpleList&) = delete;

    // Appends after the tail; a walk positioned on the head stays on it.
    void Add(void* Item);
    void First();
    void Next();
    // True after the last item was passed, and whenever the list is empty.
    bool End() const { return End_; }
    void* Current() const;

    void* RemoveFirst();
    void* RemoveLast();
    // Removes the current item; the walk continues with the item after it.
    void* RemoveCurrent();

    int Count() const { return Count_; }

private:
    TNESimpleNode* Successor(const TNESimpleNode* Node) const;
    TNESimpleNode* Predecessor(const TNESimpleNode* Node) const;
    void* Unlink(TNESimpleNode* Previous);

    std::unique_ptr<TNESimpleNode> Head_;
    TNESimpleNode* Tail_ = nullptr;
    TNESimpleNode* Cursor_ = nullptr;
    bool End_ = true;
    int Count_ = 0;
};

// The list for object items: the same walk and operations, typed.
template <typename Object> class TNEObjectList
{
public:
    void Add(Object* Item) { List_.Add(Item); }
    void First() { List_.First(); }
    void Next() { List_.Next(); }
    bool End() const { return List_.End(); }
    Object* Current() const { return static_cast<Object*>(List_.Current()); }
    Object* RemoveFirst() { return static_cast<Object*>(List_.RemoveFirst()); }
    Object* RemoveLast() { return static_cast<Object*>(List_.RemoveLast()); }
    Object* RemoveCurrent() { return static_cast<Object*>(List_.RemoveCurrent()); }
    int Count() const { return List_.Count(); }

private:
    TNESimpleList List_;
};

// First in, first out. Never owns its items.
class TNESimpleQueue
{
public:
    TNESimpleQueue() = default;
    ~TNESimpleQueue();
    TNESimpleQueue(const TNESimpleQueue&) = delete;
    TNESimpleQueue& operator=(const TNESimpleQueue&) = delete;

    void Push(void* Item);
    void* Pop();
    int Count() const { return Count_; }

private:
    std::unique_ptr<TNESimpleNode> Head_;
    TNESimpleNode* Tail_ = nullptr;
    int Count_ = 0;
};

// Last in, first out. Never owns its items.
class TNESimpleStack
{
public:
    TNESimpleStack() = default;
    ~TNESimpleStack();
    TNESimpleStack(const TNESimpleStack&) = delete;
    TNESimpleStack& operator=(const TNESimpleStack&) = delete;

    void Push(void* Item);
    void* Pop();
    int Count() const { return Count_; }

private:
    std::unique_ptr<TNESimpleNode> Top_;
    int Count_ = 0;
};

// Removes the characters up to U+0020 (blanks and control characters) from both ends.
QString Trim(QStringView Text);

// Field lists: items, each encoded and followed by ";". Only A-Z, a-z, 0-9, "+" and "/" stand for themselves;
// every other UTF-16 code unit is written as "=" and four upper-case hexadecimal digits.
QString EncodeItem(QStringView Text);
QString DecodeItem(QStringView Text);
void AppendItem(QString& List, QStringView Text);
QString JoinItems(const QStringList& Items);
// Reads the item after Position and leaves Position just past the terminator that ends it. Position 0 is before
// the first item; reading stops being useful once Position reaches the list's length.
QString NextItem(qsizetype& Position, QStringView List);
// The item with the zero-based Index, empty when the list is shorter.
QString ItemAt(int Index, QStringView List);
// The position before the first item equal to Text (0 for the first item); when none is, the position where
// reading stopped, which is the list's length for a list that ends with its terminator.
qsizetype IndexOfItem(QStringView Text, QStringView List);

// A local date and time: Date counts days with 1 January of year 1 as day 1 (proleptic Gregorian), Time counts
// milliseconds since midnight.
struct TNETimeStamp
{
    std::int32_t Time = 0;
    std::int32_t Date = 1;

    friend bool operator==(const TNETimeStamp&, const TNETimeStamp&) = default;
};

inline constexpr TNETimeStamp MinTimeStamp{0, 1};

TNETimeStamp TimeStampOf(const QDateTime& Moment);
TNETimeStamp CurrentTimeStamp();
// 17 digits: year (4), month, day, hour, minute, second (2 each), millisecond (3). A time stamp outside the years
// 1 to 9999 or the hours of one day gives the minimum time stamp's digits.
QString FormatTimeStamp(const TNETimeStamp& Stamp);
// Reads the digits FormatTimeStamp writes; a missing or non-numeric field takes its default (1 for the date, 0 for
// the time) and an impossible date or time gives the minimum time stamp. Never raises.
TNETimeStamp ParseTimeStamp(QStringView Text);
int CompareTimeStamps(const TNETimeStamp& Left, const TNETimeStamp& Right);

// File names: %, /, :, <, >, ?, \ and | become "%" and two hexadecimal digits, so a name is valid everywhere.
QString PercentEncode(QStringView Text);
QString PercentDecode(QStringView Text);
bool IsValidFileName(QStringView Text);

// SplitFirst returns the part before the first Separator and leaves the rest in Text; SplitLast returns the part
// after the last one and leaves the front in Text. Without a Separator both return all of Text and empty it.
QString SplitFirst(QChar Separator, QString& Text);
QString SplitLast(QChar Separator, QString& Text);

// Trimmed, lower case, first character upper case; never tailored to the user's language.
QString Capitalize(QStringView Text);
// Digits grouped by threes with the locale's group separator.
QString FormatThousands(std::int64_t Value);
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
