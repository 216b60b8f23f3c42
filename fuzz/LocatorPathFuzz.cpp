#include "ui/lists/NLocator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

// One offscreen application and one locator for every run, with a temporary home folder holding the folders "a/b"
// and "c.fkx", so that "~", "..", and a folder named like a mask reach real folders. The working folder stays as it
// is: libFuzzer reads its corpus folders from there after this setup.
struct TLocatorHarness
{
    TLocatorHarness()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QDir(Folder.path()).mkpath(QStringLiteral("a/b"));
        QDir(Folder.path()).mkpath(QStringLiteral("c.fkx"));
        qputenv("HOME", QFile::encodeName(Folder.path()));
        // Qt warns of every path holding a zero character, and the fuzzer makes thousands of them.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        Application = std::make_unique<QApplication>(ArgumentCount, Arguments);
        Locator = std::make_unique<TNELocator>();
    }

    int ArgumentCount = 1;
    char Name[16] = "LocatorPathFuzz";
    char* Arguments[2] = {Name, nullptr};
    QTemporaryDir Folder;
    std::unique_ptr<QApplication> Application;
    std::unique_ptr<TNELocator> Locator;
};

TLocatorHarness* Harness = nullptr;

void Check(bool Holds)
{
    if (!Holds)
        std::abort();
}

} // namespace

// Fontconfig, which Qt loads when a widget first needs a font, keeps caches it never frees.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// The application must exist before the first input: made at the first one, its setup would count as that input's
// coverage, and libFuzzer would find every seed uninteresting.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static TLocatorHarness harness;
    Harness = &harness;
    return 0;
}

// Arbitrary bytes as a path typed into the locator's path box, then as its list of extensions. Whatever the text,
// the locator ends with an absolute, clean folder ("/" as root, the folder relative to it ending in "/", no empty,
// "." or ".." step) and a mask naming no folder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TNELocator& locator = *Harness->Locator;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));

    locator.SetPath(text);
    Check(locator.Root() == u"/");
    if (const QString& folder = locator.Folder(); !folder.isEmpty()) {
        Check(folder.endsWith(u'/') && !folder.startsWith(u'/'));
        for (QStringView step : QStringView(folder).chopped(1).split(u'/'))
            Check(!step.isEmpty() && step != u"." && step != u"..");
    }
    Check(!locator.FileMask().isEmpty() && !locator.FileMask().contains(u'/'));

    locator.SetMasks(text);
    for (const QString& mask : locator.Masks().split(u';', Qt::SkipEmptyParts))
        Check(mask == mask.toUpper() && mask.front() > u' ' && mask.back() > u' ');
    return 0;
}
