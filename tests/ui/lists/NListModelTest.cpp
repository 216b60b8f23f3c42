#include "ui/lists/NListModel.h"

#include "store/NLocaleText.h"
#include "tests/support/ui/ApplicationFixture.h"

#include <QLocale>
#include <QSignalSpy>

namespace {

using NListModel = TApplicationFixture;

int CompareCaptions(const TNEListItem& Left, const TNEListItem& Right)
{
    return Left.Caption().compare(Right.Caption());
}

QStringList Captions(const TNEListModel& Model)
{
    QStringList captions;
    for (int index = 0; index < Model.ItemCount(); ++index)
        captions.append(Model.Item(index).Caption());
    return captions;
}

// Orders items by their captions under the locale, as the compare callbacks below do first.
class TCaptionKeys final : public TNEItemSortKeys
{
public:
    explicit TCaptionKeys(int Order) : Order_(Order) {}
    int KeyOrder() const override { return Order_; }
    TNELocaleSortKey Key(const TNEListItem& Item) const override { return TNELocaleSortKey(Item.Caption()); }

private:
    int Order_;
};

} // namespace

TEST_F(NListModel, SortsByKeysAsByTheCompareCallbackAndFindsEveryItemAfterwards)
{
    const QStringList captions = {"pear",
                                  "Apple",
                                  "apple",
                                  "",
                                  "pear",
                                  QStringLiteral("äpple"),
                                  "Zebra",
                                  "zebra",
                                  "pear",
                                  "10",
                                  "9",
                                  QStringLiteral("🔑"),
                                  QStringLiteral("\uFFFD")};
    for (const int order : {1, -1}) {
        // Equal captions go by their data, in both directions.
        const auto compare = [order](const TNEListItem& Left, const TNEListItem& Right) {
            if (const int byCaption = CompareLocaleText(Left.Caption(), Right.Caption()))
                return byCaption * order;
            return int(Left.Data().Number() - Right.Data().Number());
        };
        const TCaptionKeys keys(order);
        TNEListModel byKeys, byCallback;
        byKeys.SetSortKeys(&keys);
        for (TNEListModel* model : {&byKeys, &byCallback}) {
            model->AddColumn(QStringLiteral("Name"), 80);
            model->SetCompare(compare);
            const TNEListUpdate update(*model);
            for (qsizetype index = 0; index < captions.size(); ++index)
                model->AddItem({captions[index], "at " + QString::number(index) + u'.'},
                               TNEItemData::FromNumber(captions.size() - index));
        }
        EXPECT_EQ(Captions(byKeys), Captions(byCallback)) << order;
        for (int index = 0; index < byKeys.ItemCount(); ++index) {
            EXPECT_EQ(byKeys.Item(index).Data(), byCallback.Item(index).Data()) << order;
            const QString& texts = byKeys.Item(index).SubItem(0);
            EXPECT_TRUE(byKeys.ItemMatches(index, TNESearchPattern(texts.toUpper()))) << order;
        }
    }
}

TEST_F(NListModel, KeepsItemsSortedAndEqualItemsInTheirOrder)
{
    TNEListModel model;
    model.AddColumn(QStringLiteral("Name"), 80);
    for (const char* caption : {"b", "a", "c"})
        model.AddItem({QString::fromLatin1(caption)}, TNEItemData::FromNumber(model.ItemCount()));
    model.SetCompare(CompareCaptions);
    EXPECT_EQ(Captions(model), QStringList({"a", "b", "c"})) << "setting the callback sorts";

    EXPECT_EQ(model.AddItem({QStringLiteral("b")}, TNEItemData::FromNumber(3)), 2) << "outside an update: its place";
    {
        TNEListUpdate update(model);
        EXPECT_EQ(model.AddItem({QStringLiteral("a")}, TNEItemData::FromNumber(4)), 4) << "inside: appended";
    }
    EXPECT_EQ(Captions(model), QStringList({"a", "a", "b", "b", "c"}));
    EXPECT_EQ(model.Item(1).Data(), TNEItemData::FromNumber(4)) << "equal items keep the order they came in";
    EXPECT_EQ(model.Item(3).Data(), TNEItemData::FromNumber(3));

    model.SetCompare([](const TNEListItem& Left, const TNEListItem& Right) {
        return int(Right.Data().Number() - Left.Data().Number());
    });
    model.SetItemData(0, TNEItemData::FromNumber(9));
    EXPECT_EQ(model.Item(0).Data(), TNEItemData::FromNumber(9)) << "new data takes the item to its place";
    EXPECT_EQ(model.FindItemByData(TNEItemData::FromNumber(0)), 4);
    EXPECT_EQ(model.FindItemByData(TNEItemData::FromNumber(0), 5), -1);
}

TEST_F(NListModel, ARefillInsideAnUpdateIsOneModelReset)
{
    TNEListModel model;
    model.AddColumn(QStringLiteral("Name"), 80);
    model.AddItem({QStringLiteral("old")});
    model.SetCompare(CompareCaptions);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    {
        TNEListUpdate update(model);
        model.ClearItems();
        for (int index = 999; index >= 0; --index)
            model.AddItem({QString::number(index).rightJustified(4, u'0')});
        model.SetItemText(0, 1, QStringLiteral("sub-item"));
    }
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count() + layouts.count() + changes.count(), 0);
    EXPECT_EQ(model.Item(0).Caption(), QStringLiteral("0000"));
    EXPECT_EQ(model.Item(999).SubItem(0), QStringLiteral("sub-item"));

    {
        TNEListUpdate update(model);
        model.SetItemImage(5, 1);
    }
    EXPECT_EQ(resets.count(), 1) << "an update that changes no number or order resets nothing";
}

TEST_F(NListModel, ItemsShareTheirTextsAndGrowSubItemsOnDemand)
{
    TNEListModel model;
    const QString site = QString::fromLatin1("www.example.org");
    const QString mask(12, QChar(0x2022));
    int dummy = 0;
    model.AddItem({site, QString(), mask}, TNEItemData(&dummy), 7);
    const TNEListItem& item = model.Item(0);
    EXPECT_TRUE(item.Caption().isSharedWith(site)) << "the item holds the owner's text, not a copy";
    EXPECT_TRUE(item.SubItem(1).isSharedWith(mask));
    EXPECT_EQ(item.Data().Pointer<int>(), &dummy);
    EXPECT_EQ(item.ImageIndex(), 7);
    EXPECT_EQ(item.SubItemCount(), 2);
    EXPECT_TRUE(item.SubItem(5).isEmpty());

    model.SetItemText(0, 5, QStringLiteral("far"));
    EXPECT_EQ(model.Item(0).SubItemCount(), 5);
    EXPECT_EQ(model.Item(0).SubItem(1), mask);
    EXPECT_EQ(model.Item(0).SubItem(4), QStringLiteral("far"));
    model.SetItemImage(0, 40000);
    EXPECT_EQ(model.Item(0).ImageIndex(), -1);
    model.RemoveItem(0);
    EXPECT_EQ(model.ItemCount(), 0);
}

TEST_F(NListModel, MatchesAPatternInsideOneUpperCasedTextOfAnyColumn)
{
    struct TCase
    {
        QStringList Texts;
        QString Search; // upper-cased as the find bar does it
        bool Matches;
    };
    const QChar nul(0);
    const TCase cases[] = {
        {{"Bank", "anna", "n"}, "BAN", true},
        {{"Bank", "anna", "note on the third column"}, "THIRD", true},
        {{"Bank"}, "BANK ", false},
        {{"café crème"}, QStringLiteral("CAFÉ CRÈ"), true},
        {{"CAFÉ"}, QStringLiteral("é").toUpper(), true},
        {{"Straße"}, QStringLiteral("strasse").toUpper(), true},
        {{"istanbul"}, QStringLiteral("I"), true},
        {{"ISTANBUL"}, QStringLiteral("i").toUpper(), true},
        {{"ıspanak"}, QStringLiteral("I"), true}, // the dotless i upper-cases to I as well
        {{"ab", "cd"}, "BC", false},              // never across two texts
        {{QString("a") + nul + "b"}, QString("A") + nul + "B", true},
        {{"a", "b"}, QString("A") + nul + "B", false},
        {{QStringLiteral("key 🔑 box")}, QStringLiteral("🔑 B"), true},
        {{QString(QChar(0xD83D))}, QString(QChar(0xD83D)), true}, // a lone surrogate matches itself only
        {{QStringLiteral("🔑")}, QString(QChar(0xDD11)), true},
        {{QString(12, QChar(0x2022))}, QString(3, QChar(0x2022)), true},
        {{"anything"}, "", false},
    };
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    for (const TCase& test : cases) {
        TNEListModel model;
        model.AddItem(test.Texts);
        EXPECT_EQ(model.ItemMatches(0, TNESearchPattern(test.Search)), test.Matches)
            << test.Texts.join(u'|').toStdString() << " / " << test.Search.toStdString();
    }
    QLocale::setDefault(QLocale::c());

    TNEListModel model;
    model.AddItem({QStringLiteral("before")});
    EXPECT_TRUE(model.ItemMatches(0, TNESearchPattern(u"BEFORE")));
    model.SetItemText(0, 0, QStringLiteral("after"));
    EXPECT_FALSE(model.ItemMatches(0, TNESearchPattern(u"BEFORE"))) << "a changed text is searched anew";
    EXPECT_TRUE(model.ItemMatches(0, TNESearchPattern(u"AFTER")));
    EXPECT_FALSE(model.ItemMatches(1, TNESearchPattern(u"AFTER")));
}
