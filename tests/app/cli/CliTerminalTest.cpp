#include "app/cli/CliTerminal.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The lines ReadSecretLine reads from a pipe holding Input, until the input ends.
QStringList LinesOf(const QByteArray& Input)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        ADD_FAILURE() << "pipe failed";
        return {};
    }
    EXPECT_EQ(::write(pipeEnds[1], Input.constData(), std::size_t(Input.size())), Input.size());
    ::close(pipeEnds[1]);
    QStringList lines;
    while (std::optional<TNESecureText> line = ReadSecretLine(pipeEnds[0]))
        lines += QString(line->Text().constData(), line->Text().size());
    ::close(pipeEnds[0]);
    return lines;
}

} // namespace

TEST(CliTerminal, RemovesOnlyTheLineEnd)
{
    const struct
    {
        QByteArray Input;
        QStringList Lines;
    } cases[] = {
        {"secret\n", {u"secret"_qs}},
        {"  blanks kept \t\r\n", {u"  blanks kept \t"_qs}},
        {"cr\r\r\n", {u"cr\r"_qs}},
        {"first\nsecond", {u"first"_qs, u"second"_qs}},
        {"trailing cr\r", {u"trailing cr\r"_qs}},
        {"\n\n", {u""_qs, u""_qs}},
        {"", {}},
        {"na\xC3\xAFve\n", {u"naïve"_qs}},
        {QByteArray(3000, 'x') + "\n", {QString(3000, QLatin1Char('x'))}},
    };
    for (const auto& example : cases)
        EXPECT_EQ(LinesOf(example.Input), example.Lines) << example.Input.left(40).constData();
}

TEST(CliTerminal, HandsTheLineOverAsASecretOnlyItHolds)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    EXPECT_EQ(::write(pipeEnds[1], "hunter2\n", 8), 8);
    ::close(pipeEnds[1]);
    std::optional<TNESecureText> line = ReadSecretLine(pipeEnds[0]);
    ::close(pipeEnds[0]);
    ASSERT_TRUE(line);
    ASSERT_EQ(line->Text(), u"hunter2");
    // Held by nobody else, the secret is zeroed when burnt.
    const QChar* storage = line->Text().constData();
    line->Burn();
    EXPECT_TRUE(std::all_of(storage, storage + 7, [](QChar Unit) { return Unit.isNull(); }));
}
