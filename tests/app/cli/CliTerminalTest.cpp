#include "app/cli/CliTerminal.h"

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
    while (std::optional<TCliSecret> line = ReadSecretLine(pipeEnds[0]))
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

TEST(CliTerminal, ZerosASecretWhenItGoesAway)
{
    QString shared;
    {
        TCliSecret secret(QString::fromLatin1("hunter2"));
        shared = secret.Text();
    }
    // The secret's storage is shared with the copy, which therefore sees the zeros.
    EXPECT_EQ(shared, QString(7, QChar(0)));
}
