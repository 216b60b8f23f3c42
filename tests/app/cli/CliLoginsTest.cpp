#include "app/cli/CliLogins.h"

#include "app/FenkDocument.h"

#include <gtest/gtest.h>

TEST(CliLogins, MasksOneBulletPerCharacter)
{
    const struct
    {
        QString Password;
        qsizetype Bullets;
    } cases[] = {
        {u""_qs, 0},
        {u"correct horse"_qs, 13},
        {u"naïve"_qs, 5},
        {QString::fromUcs4(U"k\U0001F511y"), 3},
    };
    for (const auto& example : cases)
        EXPECT_EQ(MaskedPassword(example.Password), QString(example.Bullets, QChar(0x2022))) << example.Bullets;
}

TEST(CliLogins, ShowsTheNoteUpToItsFirstLineEnd)
{
    EXPECT_EQ(FirstLine(u"line one\r\nline two"), u"line one");
    EXPECT_EQ(FirstLine(u"one\ntwo"), u"one");
    EXPECT_EQ(FirstLine(u"one\rtwo"), u"one");
    EXPECT_EQ(FirstLine(u"single"), u"single");
    EXPECT_EQ(FirstLine(u"\nsecond"), u"");
}

TEST(CliLogins, FindsTextInSiteLoginOrNoteWithoutRegardToCase)
{
    const TCliLogin login{7, u"Straße.example"_qs, u"françois"_qs, u"SecretWord"_qs, u"line one\r\nline two"_qs};
    const struct
    {
        const char* Text;
        bool Matches;
    } cases[] = {
        {"STRASSE", true}, // full case mapping: ß upper-cases to SS
        {"straße", true},
        {"FRANÇOIS", true},
        {"ois", true},
        {"one line", true}, // the note's line end reads as one space
        {"secret", false},  // the password takes no part
        {"", false},        // an empty search finds nothing
        {"example.org", false},
    };
    for (const auto& example : cases)
        EXPECT_EQ(MatchesFind(login, QString::fromUtf8(example.Text)), example.Matches) << example.Text;
}

TEST(CliLogins, ListsLoginsInAlignedColumnsWithMaskedPasswords)
{
    const std::vector<TCliLogin> logins = {
        {2, u"bank"_qs, u"carol"_qs, u"p4ss"_qs, u"PIN\r\nnot here"_qs},
        {10, u"mail.example.org"_qs, u"bob"_qs, u"Tr0ub4dor&3"_qs, u""_qs},
    };
    EXPECT_EQ(FormatLoginList(logins, false), u"ID  Site name         Login name  Password     Note\n"
                                              u"2   bank              carol       ••••         PIN\n"
                                              u"10  mail.example.org  bob         •••••••••••\n");
    EXPECT_EQ(FormatLoginList(logins, true).section(QLatin1Char('\n'), 2, 2),
              u"10  mail.example.org  bob         Tr0ub4dor&3");
}

TEST(CliLogins, ShowsOneLoginInFull)
{
    EXPECT_EQ(FormatLogin({3, u"Forum"_qs, u"eve"_qs, u"semi;colon=equals"_qs, u"line one\r\nline two"_qs}),
              u"ID:         3\n"
              u"Site name:  Forum\n"
              u"Login name: eve\n"
              u"Password:   semi;colon=equals\n"
              u"Note:       line one\n"
              u"            line two\n");
}

TEST(CliLoginTable, SortsBySiteNameThenAsTheRowStoreOrdersRows)
{
    TFenkDocument document{TFenkPasswordPrompt()};
    TCliLoginTable table(*document.LoginRowset());
    QStringList notices;
    for (const char* site : {"mail", "bank", "mail", "ad"})
        table.Add({-1, QString::fromLatin1(site), u"user"_qs, u"pw"_qs, u""_qs}, notices);
    // Equal site names, login names and values fall back to the time stamps and IDs: ID 0 before ID 2.
    std::vector<std::int32_t> order;
    for (const TCliLogin& login : table.Sorted())
        order.push_back(login.ID);
    EXPECT_EQ(order, (std::vector<std::int32_t>{3, 1, 0, 2}));
    EXPECT_TRUE(notices.isEmpty());
    EXPECT_EQ(table.Find(u"MAI").size(), 2u);
}

TEST(CliLoginTable, ChangesOnlyTheGivenFieldsAndNamesWhatDidNotFit)
{
    TFenkDocument document{TFenkPasswordPrompt()};
    TCliLoginTable table(*document.LoginRowset());
    QStringList notices;
    const std::int32_t id = table.Add({-1, u"site"_qs, u"login"_qs, u"secret"_qs, u"note"_qs}, notices);
    table.Change(id, {std::nullopt, QString(65, u'l'), std::nullopt, u"\tnew note "_qs}, notices);
    const TCliLogin changed = table.Get(id);
    EXPECT_EQ(changed.Site, u"site");
    EXPECT_EQ(changed.Login, QString(64, u'l'));
    EXPECT_EQ(changed.Password, u"secret");
    EXPECT_EQ(changed.Note, u"new note");
    EXPECT_EQ(notices, (QStringList{u"Login name clipped to 64 characters"_qs,
                                    u"Note kept without the blanks and control characters at its ends"_qs}));
    table.Remove(id);
    EXPECT_THROW(table.Get(id), ECliNoSuchLoginErr);
    EXPECT_THROW(table.Remove(id), ECliNoSuchLoginErr);
}

TEST(CliLoginTable, KeepsNoteLineBreaksAsTheVaultDoesAndHandsThemOutAsLineFeeds)
{
    const QString x2047(2047, u'x');
    const struct
    {
        QString Given, Stored, Shown;
        qsizetype Notices;
    } cases[] = {
        {u"a\nb"_qs, u"a\r\nb"_qs, u"a\nb"_qs, 0},
        {u"a\r\nb\rc"_qs, u"a\r\nb\r\nc"_qs, u"a\nb\nc"_qs, 0},
        {x2047 + u"\ny"_qs, x2047, x2047, 1}, // the limit counts a line break as the two characters kept
    };
    for (const auto& example : cases) {
        TFenkDocument document{TFenkPasswordPrompt()};
        TCliLoginTable table(*document.LoginRowset());
        QStringList notices;
        const std::int32_t id = table.Add({-1, u"site"_qs, u"login"_qs, u"pw"_qs, example.Given}, notices);
        EXPECT_EQ(notices.size(), example.Notices);
        table.Change(id, {std::nullopt, std::nullopt, std::nullopt, example.Shown}, notices);
        EXPECT_EQ(document.LoginRowset()->FindRow(id)->GetString(lcNote), example.Stored);
        EXPECT_EQ(table.Get(id).Note, example.Shown);
        EXPECT_EQ(notices.size(), example.Notices) << "what the tool shows goes back in unchanged";
    }
}
