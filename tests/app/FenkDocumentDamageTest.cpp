#include "app/FenkDocument.h"
#include "tests/app/DocumentLogins.h"
#include "tests/support/ScriptedPresenter.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/TestData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <map>

namespace {

QString PasswordOfCase;

QString AnswerCasePassword(const QString&, bool, const QString&)
{
    return PasswordOfCase;
}

QStringList ExpectedLogins(const QJsonObject& Case)
{
    QStringList logins;
    for (const QJsonValue& row : Case[u"expect"].toObject()[u"rows"].toArray()) {
        const QJsonObject login = row.toObject();
        logins.append(QString::number(login[u"id"].toInt()) + QStringLiteral(": ") +
                      QStringList{login[u"SITE_NAME"].toString(), login[u"LOGIN_NAME"].toString(),
                                  login[u"PASSWORD"].toString(), login[u"NOTE"].toString()}
                          .join(u'|'));
    }
    return logins;
}

// How the opening of a damaged copy ended.
enum class TDamageOutcome
{
    RightRows,   // opened with the vault's own rows: the damage hit only what lies around the rowsets
    NoRows,      // opened empty: cut to its header, or a flip changed the name of the logins' rowset
    OtherRows,   // opened with other rows: the format carries no check of its content
    Warned,      // refused with a warning
    Unexplained, // neither opened nor warned: a fault
};

TDamageOutcome Open(const TTemporaryFolder& Folder, const QByteArray& Bytes, const QStringList& Expected)
{
    const QString fileName = Folder.WriteFile(QStringLiteral("damaged.fkx"), Bytes);
    TScriptedPresenter presenter;
    TFenkDocument document{TFenkPasswordPrompt(&AnswerCasePassword)};
    const TFenkLoadResult result = document.LoadFromFile(fileName, false);
    if (result == TFenkLoadResult::Loaded)
        return DocumentLogins(document) == Expected ? TDamageOutcome::RightRows
               : DocumentLogins(document).isEmpty() ? TDamageOutcome::NoRows
                                                    : TDamageOutcome::OtherRows;
    if (result == TFenkLoadResult::Failed && presenter.Messages().size() == 1 &&
        !presenter.Messages().front().Text.isEmpty())
        return TDamageOutcome::Warned;
    return TDamageOutcome::Unexplained;
}

} // namespace

// Every vector vault cut at every length, and with single bytes flipped at its start and at random places, opens
// with its rows or another reading of its bytes, or is refused with one warning; never a crash, a hang or silence.
// A copy cut short never opens with a part of its rows: either the cut took only what follows the last rowset, or
// the rowset's end or a part of a cipher block is missing, which is refused.
TEST(FenkDocumentDamage, EveryTruncatedOrFlippedVaultOpensOrWarns)
{
    const QJsonArray cases =
        QJsonDocument::fromJson(ReadTestData(QStringLiteral("vectors/manifest.json"))).object()[u"cases"].toArray();
    const TTemporaryFolder folder;
    QRandomGenerator random(7);
    for (const QJsonValue& value : cases) {
        const QJsonObject vaultCase = value.toObject();
        if (vaultCase[u"expect"].toObject()[u"result"].toString() != u"loaded")
            continue;
        const QString name = vaultCase[u"file"].toString();
        SCOPED_TRACE(name.toStdString());
        PasswordOfCase = vaultCase[u"password"].toString();
        const QStringList expected = ExpectedLogins(vaultCase);
        const QByteArray original = ReadTestData(QStringLiteral("vectors/") + name);
        ASSERT_EQ(Open(folder, original, expected), TDamageOutcome::RightRows);

        std::map<TDamageOutcome, int> truncated;
        // Cut to nothing the file is an empty vault, which opens with no rows; so is one cut to its header.
        for (qsizetype length = 1; length < original.size(); ++length) {
            const TDamageOutcome outcome = Open(folder, original.left(length), expected);
            ++truncated[outcome];
            if (length == 4 || length == 5)
                EXPECT_EQ(outcome, TDamageOutcome::NoRows) << "cut to " << length << " bytes";
            else
                EXPECT_TRUE(outcome == TDamageOutcome::Warned || outcome == TDamageOutcome::RightRows)
                    << "cut to " << length << " bytes";
        }

        std::map<TDamageOutcome, int> flipped;
        std::vector<qsizetype> offsets;
        for (qsizetype offset = 0; offset < 64; ++offset)
            offsets.push_back(offset);
        for (int draw = 0; draw < 64; ++draw)
            offsets.push_back(qsizetype(random.bounded(int(original.size()))));
        for (qsizetype offset : offsets) {
            for (char mask : {char(0x01), char(0x80), char(0xFF)}) {
                QByteArray damaged = original;
                damaged[offset] = char(damaged[offset] ^ mask);
                const TDamageOutcome outcome = Open(folder, damaged, expected);
                ++flipped[outcome];
                EXPECT_NE(outcome, TDamageOutcome::Unexplained) << "byte " << offset << " flipped with " << int(mask);
            }
        }
        std::printf(
            "%s: cut %d warned, %d right rows; flipped %d right rows, %d other rows, %d warned\n", qPrintable(name),
            truncated[TDamageOutcome::Warned], truncated[TDamageOutcome::RightRows], flipped[TDamageOutcome::RightRows],
            flipped[TDamageOutcome::OtherRows] + flipped[TDamageOutcome::NoRows], flipped[TDamageOutcome::Warned]);
    }
}
