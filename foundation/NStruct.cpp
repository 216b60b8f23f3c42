#include "foundation/NStruct.h"

#include "foundation/NInteger.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStorageInfo>

#include <algorithm>
#include <utility>

namespace {

// Frees a chain from its head one link at a time; letting the head's destructor do it would recurse once per node.
void FreeChain(std::unique_ptr<TNESimpleNode>& Head)
{
    while (Head)
        Head = std::move(Head->Next);
}

void* PopChainHead(std::unique_ptr<TNESimpleNode>& Head)
{
    void* item = Head->Item;
    Head = std::move(Head->Next);
    return item;
}

std::unique_ptr<TNESimpleNode> NewNode(void* Item)
{
    auto node = std::make_unique<TNESimpleNode>();
    node->Item = Item;
    return node;
}

constexpr QChar ItemTerminator = u';';
constexpr QChar ItemEscape = u'=';
constexpr QChar PercentEscape = u'%';
// Characters that some file systems refuse in a name.
constexpr QStringView FileNameSpecials = u"/:<>?\\|";

// The value of a hexadecimal digit of either case; any other character counts as 0.
int HexDigitValue(QChar Digit)
{
    const char16_t code = Digit.unicode();
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    if (code >= u'A' && code <= u'F')
        return code - u'A' + 10;
    if (code >= u'a' && code <= u'f')
        return code - u'a' + 10;
    return 0;
}

// Decodes the Digits hexadecimal digits that follow each Escape; an escape cut short by the end of the text is
// dropped with what follows it.
QString DecodeEscapes(QStringView Text, QChar Escape, int Digits)
{
    QString result;
    result.reserve(Text.size());
    for (qsizetype index = 0; index < Text.size(); ++index) {
        if (Text[index] != Escape) {
            result.append(Text[index]);
            continue;
        }
        if (Text.size() - index - 1 < Digits)
            break;
        char16_t code = 0;
        for (int digit = 1; digit <= Digits; ++digit)
            code = char16_t(code * 16 + HexDigitValue(Text[index + digit]));
        result.append(QChar(code));
        index += Digits;
    }
    return result;
}

// The escape and at least Digits upper-case hexadecimal digits, written straight into Result: the code may be a
// character of a password, so no temporary text holds it.
void AppendEscape(QString& Result, QChar Escape, char16_t Code, int Digits)
{
    static constexpr char16_t HexDigits[] = u"0123456789ABCDEF";
    int shown = Digits;
    while (shown < 4 && (Code >> (4 * shown)) != 0)
        ++shown;
    Result.append(Escape);
    for (int digit = shown - 1; digit >= 0; --digit)
        Result.append(QChar(HexDigits[(Code >> (4 * digit)) & 0xF]));
}

bool IsItemCharacter(QChar Character)
{
    const char16_t code = Character.unicode();
    return (code >= u'A' && code <= u'Z') || (code >= u'a' && code <= u'z') || (code >= u'0' && code <= u'9') ||
           code == u'+' || code == u'/';
}

bool IsBlank(QChar Character)
{
    return Character.unicode() <= 0x20;
}

// The Julian day of the day before 1 January of year 1, so that day 1 of a time stamp is that date.
constexpr qint64 TimeStampDateOrigin = 1721425;
constexpr std::int32_t MaxTimeStampDate = 3652059; // 31 December 9999
constexpr std::int32_t MillisecondsPerDay = 86400000;

// A field of a time stamp text: its digits, or Default when it is missing or not all ASCII digits.
int TimeStampField(QStringView Text, qsizetype From, qsizetype Length, int Default)
{
    const QStringView field = Text.mid(From, Length);
    if (field.isEmpty())
        return Default;
    for (const QChar character : field) {
        if (character.unicode() < u'0' || character.unicode() > u'9')
            return Default;
    }
    return ParseInteger(field, Default);
}

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

// Cuts Text at the separator at Index, returns the front or the back and leaves the other side in Text; without a
// separator (Index -1) returns all of Text and empties it.
QString TakeSide(QString& Text, qsizetype Index, bool TakeFront)
{
    if (Index < 0)
        return std::exchange(Text, QString());
    QString front = Text.left(Index);
    QString back = Text.mid(Index + 1);
    Text = TakeFront ? std::move(back) : std::move(front);
    return TakeFront ? front : back;
}

} // namespace

TNESimpleList::~TNESimpleList()
{
    FreeChain(Head_);
}

TNESimpleNode* TNESimpleList::Successor(const TNESimpleNode* Node) const
{
    return Node->Next ? Node->Next.get() : Head_.get();
}

TNESimpleNode* TNESimpleList::Predecessor(const TNESimpleNode* Node) const
{
    if (Node == Head_.get())
        return Tail_;
    TNESimpleNode* previous = Head_.get();
    while (previous->Next.get() != Node)
        previous = previous->Next.get();
    return previous;
}

void TNESimpleList::Add(void* Item)
{
    std::unique_ptr<TNESimpleNode> node = NewNode(Item);
    TNESimpleNode* added = node.get();
    if (!Head_) {
        Head_ = std::move(node);
        Cursor_ = added;
    } else {
        Tail_->Next = std::move(node);
        if (Cursor_ == Tail_)
            Cursor_ = added;
    }
    Tail_ = added;
    ++Count_;
}

void TNESimpleList::First()
{
    if (Count_ == 0)
        return;
    Cursor_ = Tail_;
    End_ = false;
}

void TNESimpleList::Next()
{
    if (End_)
        return;
    Cursor_ = Successor(Cursor_);
    if (Cursor_ == Tail_)
        End_ = true;
}

void* TNESimpleList::Current() const
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    if (End_)
        throw ENEInvalidElementErr();
    return Successor(Cursor_)->Item;
}

void* TNESimpleList::RemoveFirst()
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    return Unlink(Tail_);
}

void* TNESimpleList::RemoveLast()
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    return Unlink(Predecessor(Tail_));
}

void* TNESimpleList::RemoveCurrent()
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    if (End_)
        throw ENEInvalidElementErr();
    return Unlink(Cursor_);
}

// Removes the node after Previous (in ring order) and keeps the walk on the same item, or past the end when the
// current item was the last one and is removed.
void* TNESimpleList::Unlink(TNESimpleNode* Previous)
{
    TNESimpleNode* removed = Successor(Previous);
    void* item = removed->Item;
    --Count_;
    if (Count_ == 0) {
        Head_.reset();
        Tail_ = Cursor_ = nullptr;
        End_ = true;
        return item;
    }
    if (Cursor_ == removed)
        Cursor_ = Previous;
    else if (Cursor_ == Previous && removed == Tail_)
        End_ = true;
    if (removed == Tail_)
        Tail_ = Previous;
    std::unique_ptr<TNESimpleNode>& link = removed == Head_.get() ? Head_ : Previous->Next;
    std::unique_ptr<TNESimpleNode> owned = std::move(link);
    link = std::move(owned->Next);
    return item;
}

TNESimpleQueue::~TNESimpleQueue()
{
    FreeChain(Head_);
}

void TNESimpleQueue::Push(void* Item)
{
    std::unique_ptr<TNESimpleNode> node = NewNode(Item);
    TNESimpleNode* added = node.get();
    if (Tail_)
        Tail_->Next = std::move(node);
    else
        Head_ = std::move(node);
    Tail_ = added;
    ++Count_;
}

void* TNESimpleQueue::Pop()
{
    if (!Head_)
        throw ENEEmptyStructureErr();
    void* item = PopChainHead(Head_);
    if (!Head_)
        Tail_ = nullptr;
    --Count_;
    return item;
}

TNESimpleStack::~TNESimpleStack()
{
    FreeChain(Top_);
}

void TNESimpleStack::Push(void* Item)
{
    std::unique_ptr<TNESimpleNode> node = NewNode(Item);
    node->Next = std::move(Top_);
    Top_ = std::move(node);
    ++Count_;
}

void* TNESimpleStack::Pop()
{
    if (!Top_)
        throw ENEEmptyStructureErr();
    --Count_;
    return PopChainHead(Top_);
}

QString Trim(QStringView Text)
{
    qsizetype begin = 0;
    qsizetype end = Text.size();
    while (begin < end && IsBlank(Text[begin]))
        ++begin;
    while (end > begin && IsBlank(Text[end - 1]))
        --end;
    return Text.sliced(begin, end - begin).toString();
}

// Sized once: the text may be a password, and a growing result would leave partial copies in freed memory.
QString EncodeItem(QStringView Text)
{
    qsizetype encodedSize = Text.size();
    for (const QChar character : Text) {
        if (!IsItemCharacter(character))
            encodedSize += 4;
    }
    QString result;
    result.reserve(encodedSize);
    for (const QChar character : Text) {
        if (IsItemCharacter(character))
            result.append(character);
        else
            AppendEscape(result, ItemEscape, character.unicode(), 4);
    }
    return result;
}

QString DecodeItem(QStringView Text)
{
    return DecodeEscapes(Text, ItemEscape, 4);
}

void AppendItem(QString& List, QStringView Text)
{
    List.append(EncodeItem(Text));
    List.append(ItemTerminator);
}

QString JoinItems(const QStringList& Items)
{
    QString list;
    for (const QString& item : Items)
        AppendItem(list, item);
    return list;
}

QString NextItem(qsizetype& Position, QStringView List)
{
    if (Position < 0)
        return {};
    const qsizetype length = List.size();
    qsizetype start = 0;
    if (Position > 0) {
        // Position normally sits just past a terminator; from anywhere else, skip to the next one.
        qsizetype terminator = Position - 1 < length ? List.indexOf(ItemTerminator, Position - 1) : length;
        start = terminator < 0 ? length : std::min(terminator + 1, length);
    }
    qsizetype end = List.indexOf(ItemTerminator, start);
    if (end < 0)
        end = length;
    Position = end + 1;
    return DecodeItem(List.sliced(start, end - start));
}

QString ItemAt(int Index, QStringView List)
{
    qsizetype start = 0;
    for (int skipped = 0; skipped < Index; ++skipped) {
        const qsizetype terminator = List.indexOf(ItemTerminator, start);
        if (terminator < 0)
            return {};
        start = terminator + 1;
    }
    qsizetype end = List.indexOf(ItemTerminator, start);
    if (end < 0)
        end = List.size();
    return DecodeItem(List.sliced(start, end - start));
}

qsizetype IndexOfItem(QStringView Text, QStringView List)
{
    qsizetype position = 0;
    while (position < List.size()) {
        const qsizetype before = position;
        if (NextItem(position, List) == Text)
            return before;
    }
    return position;
}

TNETimeStamp TimeStampOf(const QDateTime& Moment)
{
    const QDateTime local = Moment.toLocalTime();
    return {local.time().msecsSinceStartOfDay(), std::int32_t(local.date().toJulianDay() - TimeStampDateOrigin)};
}

TNETimeStamp CurrentTimeStamp()
{
    return TimeStampOf(QDateTime::currentDateTime());
}

QString FormatTimeStamp(const TNETimeStamp& Stamp)
{
    const bool inRange =
        Stamp.Date >= 1 && Stamp.Date <= MaxTimeStampDate && Stamp.Time >= 0 && Stamp.Time < MillisecondsPerDay;
    const TNETimeStamp shown = inRange ? Stamp : MinTimeStamp;
    const QDate date = QDate::fromJulianDay(shown.Date + TimeStampDateOrigin);
    const QTime time = QTime::fromMSecsSinceStartOfDay(shown.Time);
    return QString::asprintf("%.4d%.2d%.2d%.2d%.2d%.2d%.3d", date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), time.second(), time.msec());
}

TNETimeStamp ParseTimeStamp(QStringView Text)
{
    const int year = TimeStampField(Text, 0, 4, 1);
    const int month = TimeStampField(Text, 4, 2, 1);
    const int day = TimeStampField(Text, 6, 2, 1);
    const int hour = TimeStampField(Text, 8, 2, 0);
    const int minute = TimeStampField(Text, 10, 2, 0);
    const int second = TimeStampField(Text, 12, 2, 0);
    const int millisecond = TimeStampField(Text, 14, 3, 0);
    const QDate date(year, month, day);
    if (year < 1 || !date.isValid() || hour >= 24 || minute >= 60 || second >= 60 || millisecond > 999)
        return MinTimeStamp;
    return {hour * 3600000 + minute * 60000 + second * 1000 + millisecond,
            std::int32_t(date.toJulianDay() - TimeStampDateOrigin)};
}

int CompareTimeStamps(const TNETimeStamp& Left, const TNETimeStamp& Right)
{
    if (Left.Date != Right.Date)
        return Left.Date < Right.Date ? -1 : 1;
    if (Left.Time != Right.Time)
        return Left.Time < Right.Time ? -1 : 1;
    return 0;
}

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

QString SplitFirst(QChar Separator, QString& Text)
{
    return TakeSide(Text, Text.indexOf(Separator), true);
}

QString SplitLast(QChar Separator, QString& Text)
{
    return TakeSide(Text, Text.lastIndexOf(Separator), false);
}

QString Capitalize(QStringView Text)
{
    QString result = Trim(Text).toLower();
    if (result.isEmpty())
        return result;
    const bool isPair = result.size() > 1 && result[0].isHighSurrogate() && result[1].isLowSurrogate();
    const char32_t first = isPair ? QChar::surrogateToUcs4(result[0], result[1]) : result[0].unicode();
    const char32_t upper = QChar::toUpper(first);
    result.replace(0, isPair ? 2 : 1, QString::fromUcs4(&upper, 1));
    return result;
}

QString FormatThousands(std::int64_t Value)
{
    const std::uint64_t magnitude = Value < 0 ? 0 - std::uint64_t(Value) : std::uint64_t(Value);
    const QString digits = QString::number(magnitude);
    const QString separator = QLocale().groupSeparator();
    QString result = Value < 0 ? QStringLiteral("-") : QString();
    for (qsizetype index = 0; index < digits.size(); ++index) {
        if (index > 0 && (digits.size() - index) % 3 == 0)
            result.append(separator);
        result.append(digits[index]);
    }
    return result;
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
