#include "app/cli/CliLogins.h"

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
