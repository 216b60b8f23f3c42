// The login list at the vault's scale, offscreen: 100,000 items of four columns (site, login, a 12-character
// password mask, a note in one login of ten) in a list panel of a shown window. Prints the refill (clear, add, sort
// with a compare callback, size the columns, until the list is painted), one find-as-you-type keystroke that matches
// nothing (every column of every item scanned) and the heap the list takes per item, each with its goal.

#include "ui/lists/NList.h"
#include "ui/lists/NListPanel.h"
#include "ui/platform/NForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <vector>

namespace {

constexpr int ItemCount = 100'000;
constexpr int Runs = 5;

// The texts of the logins, held here as the row store holds them; the list shares them.
struct TLogins
{
    std::vector<QString> Sites;
    std::vector<QString> Logins;
    std::vector<QString> Notes;
};

TLogins MakeLogins()
{
    static constexpr std::array Words = {
        "mail",   "bank",   "cloud",  "shop",    "news",      "photo",   "music",  "travel",  "forum",  "market",
        "games",  "city",   "north",  "river",   "green",     "alpine",  "metro",  "books",   "health", "school",
        "office", "sport",  "video",  "energy",  "insurance", "library", "tax",    "transit", "garden", "studio",
        "family", "secure", "online", "account", "portal",    "store",   "island", "coffee",  "design", "print"};
    static constexpr std::array Domains = {".com", ".org", ".net", ".io", ".de", ".co.uk", ".fr", ".nl"};
    static constexpr std::array Names = {"anna", "bob",   "carla", "dmitri", "elif", "frank", "grace", "hiro",
                                         "ines", "jonas", "kai",   "lena",   "mei",  "nils",  "olga",  "pavel",
                                         "rosa", "sven",  "tara",  "ugo",    "vera", "wim",   "xenia", "yusuf"};
    std::mt19937 random(7);
    const auto pick = [&](const auto& Choices) { return QString::fromLatin1(Choices[random() % Choices.size()]); };
    TLogins logins;
    for (int index = 0; index < ItemCount; ++index) {
        QString site;
        switch (random() % 3) {
        case 0:
            site = QStringLiteral("www.") + pick(Words) + pick(Words) + pick(Domains);
            break;
        case 1:
            site = pick(Words) + u'.' + pick(Words) + pick(Words) + pick(Domains);
            break;
        default:
            site = pick(Words) + u' ' + pick(Words) + u' ' + QString::number(random() % 1000);
            break;
        }
        const QString login = random() % 2 ? pick(Names) + u'.' + pick(Names) + u'@' + pick(Words) + pick(Domains)
                                           : pick(Names) + QString::number(random() % 10000);
        QString note;
        if (random() % 10 == 0) {
            for (int word = 0, count = 8 + int(random() % 16); word < count; ++word)
                note += (word > 0 ? QStringLiteral(" ") : QString()) + pick(Words);
        }
        logins.Sites.push_back(site);
        logins.Logins.push_back(login);
        logins.Notes.push_back(note);
    }
    return logins;
}

template <typename Work> double Milliseconds(Work&& Run)
{
    const auto start = std::chrono::steady_clock::now();
    Run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// Small blocks and the large ones malloc maps on their own (the item array, the search texts, the view's rows).
std::size_t HeapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

// A window with a list panel, the list and its controller, sorted by site name as the login list is.
struct TLoginWindow
{
    TLoginWindow()
    {
        Form.resize(1000, 700);
        Panel = new TNEListPanel(&Form);
        Panel->setGeometry(8, 8, 984, 684);
        List = new TNEListView(Panel);
        for (const char* caption : {"Site name", "Login name", "Password", "Note"})
            List->Model().AddColumn(QString::fromLatin1(caption), 27);
        Controller = std::make_unique<TNEListController>(*List);
        Panel->AttachList(List);
        List->SetSortColumn(0);
        List->SetSortDirection(1);
        List->Model().SetCompare(
            [](const TNEListItem& Left, const TNEListItem& Right) { return Left.Caption().compare(Right.Caption()); });
        Form.show();
    }

    // MaskPerItem makes a mask string for each item, as a list that does not share its masks would.
    void Refill(const TLogins& Logins, const QString& Mask, bool MaskPerItem = false)
    {
        TNEListModel& model = List->Model();
        {
            TNEListUpdate update(model);
            model.ClearItems();
            TNEColumnSizer sizer(*List);
            for (std::size_t index = 0; index < Logins.Sites.size(); ++index) {
                const QString mask = MaskPerItem ? QString(Mask.size(), Mask.front()) : Mask;
                sizer.MeasureItem(model.AddItem({Logins.Sites[index], Logins.Logins[index], mask, Logins.Notes[index]},
                                                TNEItemData::FromNumber(qintptr(index))));
            }
            sizer.ApplyWidths();
        }
        List->AutoSizeSortColumn();
        SelectListItem(List, -1);
        List->viewport()->repaint();
    }

    void Type(int Key, const QString& Text)
    {
        QWidget* target = QApplication::focusWidget();
        QKeyEvent press(QEvent::KeyPress, Key, Qt::NoModifier, Text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Key, Qt::NoModifier, Text);
        QApplication::sendEvent(target, &release);
    }

    TNEForm Form;
    TNEListPanel* Panel;
    TNEListView* List;
    std::unique_ptr<TNEListController> Controller;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const TLogins logins = MakeLogins();
    const QString mask(12, QChar(0x2022));
    TLoginWindow window;
    QApplication::processEvents();

    const std::size_t heapBefore = HeapInUse();
    window.Refill(logins, mask);
    const double bytesPerItem = double(HeapInUse() - heapBefore) / ItemCount;

    std::vector<double> refills;
    for (int run = 0; run < Runs; ++run)
        refills.push_back(Milliseconds([&] { window.Refill(logins, mask); }));

    // "zzz" is in no text; each "q" after it searches every column of every item and finds nothing.
    window.List->setFocus();
    window.Type(Qt::Key_Z, QStringLiteral("z"));
    window.Type(Qt::Key_Z, QStringLiteral("z"));
    window.Type(Qt::Key_Z, QStringLiteral("z"));
    std::vector<double> keystrokes;
    for (int run = 0; run < 20; ++run) {
        keystrokes.push_back(Milliseconds([&] { window.Type(Qt::Key_Q, QStringLiteral("q")); }));
        window.Type(Qt::Key_Backspace, QString());
    }
    const bool searched = window.Panel->IsSearchOpen() && window.Panel->FindEdit().text() == QStringLiteral("zzz") &&
                          !window.Panel->FindNextButton().ButtonEnabled();

    double bytesWithOwnMasks = 0;
    {
        TLoginWindow fresh;
        QApplication::processEvents();
        const std::size_t heapEmpty = HeapInUse();
        fresh.Refill(logins, mask, true);
        bytesWithOwnMasks = double(HeapInUse() - heapEmpty) / ItemCount;
    }

    std::printf("refill     %8.1f ms        goal <= 300 ms  clear, add %d items, sort, size the columns, paint\n",
                Median(refills), ItemCount);
    std::printf("keystroke  %8.2f ms        goal <= 16 ms   find as you type, no match in any column of any item\n",
                Median(keystrokes));
    std::printf("memory     %8.0f bytes/item  goal <= 300     heap of the list, its search texts and the view\n",
                bytesPerItem);
    std::printf("           %8.0f bytes/item                  the same with a mask string made for every item\n",
                bytesWithOwnMasks);
    return searched ? 0 : 1;
}
