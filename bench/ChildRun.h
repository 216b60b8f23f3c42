#pragma once

// Runs a program as the user would and measures it: the wall time until it ends, its processor time and its peak
// resident memory.

#include <QByteArray>
#include <QStringList>

struct TChildRun
{
    int Status = -1; // the exit status, -1 when it did not start or did not exit normally
    double Seconds = 0;
    double ProcessorSeconds = 0; // user and system time

    long PeakKilobytes = 0;
};

// Starts Program with Arguments, Input on its standard input and standard output and error thrown away, and waits
// for it to end.
TChildRun RunChild(const QString& Program, const QStringList& Arguments, const QByteArray& Input);
