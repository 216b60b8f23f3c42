#include "bench/BenchVault.h"

#include "app/FenkDocument.h"

#include <QFile>
#include <QXmlStreamWriter>

#include <array>
#include <random>
#include <stdexcept>

namespace {

constexpr std::array SiteWords = {"mail",      "bank",    "cloud",  "shop",    "news",   "photo",  "music",  "travel",
                                  "forum",     "market",  "games",  "city",    "north",  "river",  "green",  "alpine",
                                  "metro",     "books",   "health", "school",  "office", "sport",  "video",  "energy",
                                  "insurance", "library", "tax",    "transit", "garden", "studio", "family", "secure",
                                  "online",    "account", "portal", "store",   "island", "coffee", "design", "print"};
constexpr std::array Domains = {".com", ".org", ".net", ".io", ".de", ".co.uk", ".fr", ".nl", ".ch", ".se"};
constexpr std::array Names = {"anna", "bob",   "carla", "dmitri", "elif", "frank", "grace", "hiro",
                              "ines", "jonas", "kai",   "lena",   "mei",  "nils",  "olga",  "pavel",
                              "rosa", "sven",  "tara",  "ugo",    "vera", "wim",   "xenia", "yusuf"};
constexpr std::array NoteLines = {
    "Security question: first pet", "Recovery codes in the safe", "Shared with the family",        "Card ends in 4711",
    "Renew before March",           "Support PIN 2291",           "Second factor on the old phone"};
constexpr char PasswordCharacters[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789!#$%&*+-=?@_";

class TLoginDraw
{
public:
    TCliLogin Next()
    {
        TCliLogin login;
        login.Site = Site();
        login.Login = LoginName();
        login.Password = Password();
        if (Random_() % 10 == 0)
            login.Note = Note();
        return login;
    }

private:
    template <typename Choices> QString Pick(const Choices& From)
    {
        return QString::fromLatin1(From[Random_() % From.size()]);
    }

    QString Site()
    {
        switch (Random_() % 3) {
        case 0:
            return QStringLiteral("www.") + Pick(SiteWords) + Pick(SiteWords) + Pick(Domains);
        case 1:
            return Pick(SiteWords) + u'.' + Pick(SiteWords) + Pick(SiteWords) + Pick(Domains);
        default:
            return Pick(SiteWords) + u' ' + Pick(SiteWords) + u' ' + QString::number(Random_() % 1000);
        }
    }

    QString LoginName()
    {
        const QString name = Pick(Names);
        switch (Random_() % 3) {
        case 0:
            return name + u'.' + Pick(Names) + u'@' + Pick(SiteWords) + Pick(Domains);
        case 1:
            return name + QString::number(Random_() % 10000);
        default:
            return name;
        }
    }

    QString Password()
    {
        const int length = 10 + int(Random_() % 15);
        QString password;
        for (int index = 0; index < length; ++index)
            password += QLatin1Char(PasswordCharacters[Random_() % (sizeof PasswordCharacters - 1)]);
        return password;
    }

    QString Note()
    {
        const int lines = 2 + int(Random_() % 3);
        QStringList text;
        for (int line = 0; line < lines; ++line)
            text += Pick(NoteLines);
        return text.join(u'\n');
    }

    std::mt19937 Random_{20261209};
};

// A UUID for the peer's entries and group: the index in sixteen bytes.
QString UuidOf(quint64 Index)
{
    QByteArray bytes(16, '\0');
    for (int byte = 0; byte < 8; ++byte)
        bytes[8 + byte] = char(Index >> (8 * (7 - byte)));
    bytes[0] = 'F';
    return QString::fromLatin1(bytes.toBase64());
}

void WriteKeePassString(QXmlStreamWriter& Xml, const QString& Key, const QString& Value, bool IsProtected = false)
{
    Xml.writeStartElement(QStringLiteral("String"));
    Xml.writeTextElement(QStringLiteral("Key"), Key);
    Xml.writeStartElement(QStringLiteral("Value"));
    if (IsProtected)
        Xml.writeAttribute(QStringLiteral("ProtectInMemory"), QStringLiteral("True"));
    Xml.writeCharacters(Value);
    Xml.writeEndElement();
    Xml.writeEndElement();
}

} // namespace

std::vector<TCliLogin> GenerateLogins(int Count)
{
    TLoginDraw draw;
    std::vector<TCliLogin> logins;
    logins.reserve(std::size_t(Count));
    for (int index = 0; index < Count; ++index)
        logins.push_back(draw.Next());
    return logins;
}

void WriteFenkVault(const QString& FileName, const QString& MasterPassword, const std::vector<TCliLogin>& Logins)
{
    struct TAnswer
    {
        QString Password;
        QString Ask(const QString&, bool, const QString&) { return Password; }
    } answer{MasterPassword};
    QFile::remove(FileName);
    TFenkDocument document(TFenkPasswordPrompt(&answer, &TAnswer::Ask));
    if (document.NewFile(FileName) != TFenkLoadResult::Loaded)
        throw std::runtime_error("cannot create the bench vault");
    TCliLoginTable table(*document.LoginRowset());
    document.RunRowCommand([&] {
        QStringList notices;
        for (const TCliLogin& login : Logins)
            table.Add(login, notices);
    });
    if (document.SaveFile() != TFenkSaveResult::Saved)
        throw std::runtime_error("cannot save the bench vault");
}

QByteArray KeePassXml(const std::vector<TCliLogin>& Logins)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("KeePassFile"));
    xml.writeStartElement(QStringLiteral("Meta"));
    xml.writeTextElement(QStringLiteral("Generator"), QStringLiteral("Fenk bench"));
    xml.writeTextElement(QStringLiteral("DatabaseName"), QStringLiteral("Bench"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("Root"));
    xml.writeStartElement(QStringLiteral("Group"));
    xml.writeTextElement(QStringLiteral("UUID"), UuidOf(0));
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Root"));
    for (std::size_t index = 0; index < Logins.size(); ++index) {
        const TCliLogin& login = Logins[index];
        xml.writeStartElement(QStringLiteral("Entry"));
        xml.writeTextElement(QStringLiteral("UUID"), UuidOf(index + 1));
        WriteKeePassString(xml, QStringLiteral("Title"), login.Site);
        WriteKeePassString(xml, QStringLiteral("UserName"), login.Login);
        WriteKeePassString(xml, QStringLiteral("Password"), login.Password, true);
        WriteKeePassString(xml, QStringLiteral("Notes"), login.Note);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}
