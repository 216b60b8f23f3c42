#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <cstdint>

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
// Now in local time. Cheap enough to stamp every row of a large load: the time zone is read once a second at most.
TNETimeStamp CurrentTimeStamp();
// 17 digits: year (4), month, day, hour, minute, second (2 each), millisecond (3). A time stamp outside the years
// 1 to 9999 or the hours of one day gives the minimum time stamp's digits.
QString FormatTimeStamp(const TNETimeStamp& Stamp);
// Reads the digits FormatTimeStamp writes; a missing or non-numeric field takes its default (1 for the date, 0 for
// the time) and an impossible date or time gives the minimum time stamp. Never raises.
TNETimeStamp ParseTimeStamp(QStringView Text);
int CompareTimeStamps(const TNETimeStamp& Left, const TNETimeStamp& Right);
