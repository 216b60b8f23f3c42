// The file locator in a large download folder, offscreen: 10,000 files and 500 folders made in a temporary folder,
// listed with the mask "*.*" in a shown locator. Prints Fill (one read of the folder, a status per entry, the items
// with their time, size and attribute texts, sorting, sizing the name column, until the list is painted) with its
// goal, and the same sorted by time.

#include "ui/lists/NLocator.h"
#include "ui/platform/NApplication.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int FileCount = 10'000;
constexpr int FolderCount = 500;
constexpr int Runs = 7;

bool MakeDownloads(const QString& Path)
{
    const QDir folder(Path);
    for (int index = 0; index < FolderCount; ++index) {
        if (!folder.mkdir(QStringLiteral("project %1").arg(index)))
            return false;
    }
    static const char* const kinds[] = {"vault-%1.fkx", "Invoice %1.pdf", "IMG_%1.jpg", "notes %1.txt",
                                        "setup-%1.tar.gz"};
    for (int index = 0; index < FileCount; ++index) {
        QFile file(folder.filePath(QString::fromLatin1(kinds[index % 5]).arg(index, 5, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(index % 97, 'x')) != index % 97)
            return false;
    }
    return true;
}

double ProcessorMilliseconds()
{
    timespec now = {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1000 + double(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// The median of the time a fill takes, and of the processor time it takes (which other programs on a busy machine
// do not stretch).
struct TFillTimes
{
    double Elapsed;
    double Processor;
};

TFillTimes MedianFill(TNELocator& Locator)
{
    std::vector<double> elapsed;
    std::vector<double> processor;
    for (int run = 0; run < Runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const double processorStart = ProcessorMilliseconds();
        Locator.Fill();
        Locator.ListView().viewport()->repaint();
        processor.push_back(ProcessorMilliseconds() - processorStart);
        elapsed.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return {Median(elapsed), Median(processor)};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TNEApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QTemporaryDir downloads;
    if (!downloads.isValid() || !MakeDownloads(downloads.path())) {
        std::fprintf(stderr, "cannot make the folder of %d files\n", FileCount);
        return 1;
    }

    TNELocator locator;
    locator.Form().resize(1229, 778);
    locator.SetMasks(QStringLiteral("fkx"));
    locator.SetPath(downloads.path() + QStringLiteral("/*.*"));
    locator.Form().show();
    QApplication::processEvents();
    locator.Fill(); // the folder's entries and the fonts are warm, as at every later refresh
    const TFillTimes byName = MedianFill(locator);
    locator.SetSortMode(2);
    const TFillTimes byTime = MedianFill(locator);
    const bool complete = locator.ListView().Model().ItemCount() == FileCount + FolderCount;

    std::printf("fill       %8.1f ms        goal <= 150 ms  %d files and %d folders: read, items, sort by name, "
                "paint\n",
                byName.Elapsed, FileCount, FolderCount);
    std::printf("           %8.1f ms                        of which processor time\n", byName.Processor);
    std::printf("           %8.1f ms                        the same sorted by time, newest first\n", byTime.Elapsed);
    return complete ? 0 : 1;
}
