#include "foundation/NTimeStamp.h"

#include "foundation/NInteger.h"

#include <utility>

namespace {

// The Julian day of the day before 1 January of year 1, so that day 1 of a time stamp is that date.
constexpr qint64 TimeStampDateOrigin = 1721425;
constexpr std::int32_t MaxTimeStampDate = 3652059; // 31 December 9999
constexpr std::int32_t MillisecondsPerDay = 86400000;
// The Julian day of 1 January 1970, where the system clock counts from.
constexpr qint64 UnixEpochJulianDay = 2440588;

// Division rounding towards minus infinity, for clock readings before 1970.
qint64 FloorDivide(qint64 Dividend, qint64 Divisor)
{
    const qint64 quotient = Dividend / Divisor;
    return quotient * Divisor > Dividend ? quotient - 1 : quotient;
}

// The local time's offset from UTC during one second of UTC. Time zones change their offsets on whole seconds, so
// all readings within a second share it: the system's time zone is consulted once a second at most, instead of
// once a reading (which re-reads the zone's file), and a change of the zone shows within a second.
class TUtcOffsetCache
{
public:
    qint64 OffsetMilliseconds(qint64 UtcMilliseconds)
    {
        const qint64 second = FloorDivide(UtcMilliseconds, 1000);
        if (!IsValid_ || second != Second_) {
            Offset_ = qint64(QDateTime::fromSecsSinceEpoch(second, Qt::LocalTime).offsetFromUtc()) * 1000;
            Second_ = second;
            IsValid_ = true;
        }
        return Offset_;
    }

private:
    bool IsValid_ = false;
    qint64 Second_ = 0;
    qint64 Offset_ = 0;
};

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

} // namespace

TNETimeStamp TimeStampOf(const QDateTime& Moment)
{
    const QDateTime local = Moment.toLocalTime();
    return {local.time().msecsSinceStartOfDay(), std::int32_t(local.date().toJulianDay() - TimeStampDateOrigin)};
}

TNETimeStamp CurrentTimeStamp()
{
    thread_local TUtcOffsetCache offsets;
    const qint64 utc = QDateTime::currentMSecsSinceEpoch();
    const qint64 local = utc + offsets.OffsetMilliseconds(utc);
    const qint64 day = FloorDivide(local, MillisecondsPerDay);
    return {std::int32_t(local - day * MillisecondsPerDay),
            std::int32_t(day + UnixEpochJulianDay - TimeStampDateOrigin)};
}

QString FormatTimeStamp(const TNETimeStamp& Stamp)
{
    const bool inRange =
        Stamp.Date >= 1 && Stamp.Date <= MaxTimeStampDate && Stamp.Time >= 0 && Stamp.Time < MillisecondsPerDay;
    const TNETimeStamp shown = inRange ? Stamp : MinTimeStamp;
    const QDate date = QDate::fromJulianDay(shown.Date + TimeStampDateOrigin);
    const QTime time = QTime::fromMSecsSinceStartOfDay(shown.Time);
    // Written digit by digit: a save formats one stamp per row, and every field is in range and fits its width.
    const std::pair<int, int> fields[] = {{date.year(), 4},   {date.month(), 2},  {date.day(), 2}, {time.hour(), 2},
                                          {time.minute(), 2}, {time.second(), 2}, {time.msec(), 3}};
    QString text(17, Qt::Uninitialized);
    QChar* out = text.data();
    for (const auto& [value, width] : fields) {
        int rest = value;
        for (int digit = width - 1; digit >= 0; --digit, rest /= 10)
            out[digit] = QChar(u'0' + rest % 10);
        out += width;
    }
    return text;
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
