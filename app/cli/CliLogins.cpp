#include "app/cli/CliLogins.h"

#include "foundation/NSecureBuffer.h"
#include "foundation/NStruct.h"
#include "store/NRowset.h"
#include "store/NStoreErrors.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr QChar Bullet(0x2022);

int RequireColumn(const TNERowset& Rowset, QStringView Name)
{
    const int index = Rowset.IndexOfColumn(Name);
    if (index < 0)
        throw ENERowsetStructureErr(QStringLiteral("The vault has no column %1").arg(Name));
    return index;
}

// The text the window searches: each line break reads as one space, as in the list's cells.
QString SearchableText(QStringView Text)
{
    return ToSingleLine(Text).toUpper();
}

} // namespace

namespace {

void BurnText(QString& Text)
{
    TNESecureText(std::move(Text)).Burn();
}

void BurnText(std::optional<QString>& Text)
{
    if (Text)
        BurnText(*Text);
}

} // namespace

TCliLogin::~TCliLogin()
{
    BurnText(Password);
    BurnText(Note);
}

TCliLoginChange::~TCliLoginChange()
{
    BurnText(Password);
    BurnText(Note);
}

TCliLoginTable::TCliLoginTable(TNERowset& Rowset)
    : Rowset_(Rowset), SiteColumn_(RequireColumn(Rowset, u"SITE_NAME")),
      LoginColumn_(RequireColumn(Rowset, u"LOGIN_NAME")), PasswordColumn_(RequireColumn(Rowset, u"PASSWORD")),
      NoteColumn_(RequireColumn(Rowset, u"NOTE"))
{}

std::vector<TCliLogin> TCliLoginTable::All() const
{
    std::vector<TCliLogin> logins;
    TNERowIterator rows(Rowset_);
    for (rows.First(); !rows.IsDone(); rows.Next())
        logins.push_back(Read(*rows.Current()));
    return logins;
}

std::vector<TCliLogin> TCliLoginTable::Sorted() const
{
    std::vector<TCliLogin> logins;
    for (const TNERow* row : SortedRows())
        logins.push_back(Read(*row));
    return logins;
}

std::vector<TCliLogin> TCliLoginTable::Find(QStringView Text) const
{
    std::vector<TCliLogin> logins = Sorted();
    std::erase_if(logins, [Text](const TCliLogin& Login) { return !MatchesFind(Login, Text); });
    return logins;
}

TCliLogin TCliLoginTable::Get(std::int32_t ID) const
{
    return Read(RowOf(ID));
}

std::int32_t TCliLoginTable::Add(const TCliLogin& Login, QStringList& Notices)
{
    std::vector<QString> values(std::size_t(Rowset_.ColumnCount()));
    values[std::size_t(SiteColumn_)] = Login.Site;
    values[std::size_t(LoginColumn_)] = Login.Login;
    values[std::size_t(PasswordColumn_)] = Login.Password;
    values[std::size_t(NoteColumn_)] = ToStoredLineBreaks(Login.Note);
    TNESecureText fieldList;
    for (const QString& value : values) {
        fieldList.Append(TNESecureText(EncodeItem(value)).Text());
        fieldList.Append(u";");
    }
    const std::int32_t id = Rowset_.InsertRow(fieldList.Text());
    NoteFit(SiteColumn_, Login.Site, Notices);
    NoteFit(LoginColumn_, Login.Login, Notices);
    NoteFit(PasswordColumn_, Login.Password, Notices);
    NoteFit(NoteColumn_, values[std::size_t(NoteColumn_)], Notices);
    for (QString& value : values)
        BurnText(value);
    return id;
}

void TCliLoginTable::Change(std::int32_t ID, const TCliLoginChange& Change, QStringList& Notices)
{
    TNERow& row = RowOf(ID);
    std::optional<QString> storedNote =
        Change.Note ? std::optional<QString>(ToStoredLineBreaks(*Change.Note)) : std::nullopt;
    const std::pair<int, const std::optional<QString>*> fields[] = {
        {SiteColumn_, &Change.Site},
        {LoginColumn_, &Change.Login},
        {PasswordColumn_, &Change.Password},
        {NoteColumn_, &storedNote},
    };
    for (const auto& [column, value] : fields)
        if (value->has_value())
            row.SetString(column, **value);
    row.Post();
    for (const auto& [column, value] : fields)
        if (value->has_value())
            NoteFit(column, **value, Notices);
    BurnText(storedNote);
}

void TCliLoginTable::Remove(std::int32_t ID)
{
    Rowset_.Store().ReleaseReferences(RowOf(ID));
    Rowset_.DeleteRow(ID);
}

TNERow& TCliLoginTable::RowOf(std::int32_t ID) const
{
    TNERow* row = ID >= 0 ? Rowset_.FindRow(ID) : nullptr;
    if (!row)
        throw ECliNoSuchLoginErr(QStringLiteral("No login with ID %1").arg(ID));
    return *row;
}

TCliLogin TCliLoginTable::Read(const TNERow& Row) const
{
    return {Row.ID(), Row.GetString(SiteColumn_), Row.GetString(LoginColumn_), Row.GetString(PasswordColumn_),
            ToDisplayLineBreaks(Row.GetString(NoteColumn_))};
}

std::vector<TNERow*> TCliLoginTable::SortedRows() const
{
    // Each row with its site name, read once rather than at every comparison.
    std::vector<std::pair<QString, TNERow*>> sites;
    sites.reserve(std::size_t(Rowset_.RowCount()));
    TNERowIterator iterator(Rowset_);
    for (iterator.First(); !iterator.IsDone(); iterator.Next())
        sites.emplace_back(iterator.Current()->GetString(SiteColumn_), iterator.Current());
    // By site name under the user's locale (as CompareField orders a text column); rows with equal site names keep
    // the row store's order.
    std::ranges::sort(sites, [](const auto& Left, const auto& Right) {
        const int bySite = CompareLocaleText(Left.first, Right.first);
        return (bySite != 0 ? bySite : CompareRows(Left.second, Right.second)) < 0;
    });
    std::vector<TNERow*> rows;
    rows.reserve(sites.size());
    for (const auto& [site, row] : sites)
        rows.push_back(row);
    return rows;
}

void TCliLoginTable::NoteFit(int Column, QStringView Given, QStringList& Notices) const
{
    const QString notice = FitNotice(Rowset_.Columns(Column), Given);
    if (!notice.isEmpty())
        Notices += notice;
}

QString FitNotice(const TNEColumn& Column, QStringView Given)
{
    const TNESecureText kept(Column.FitText(Given));
    if (kept.Text() == Given)
        return {};
    if (TrimmedView(Given).size() > kept.Text().size())
        return QStringLiteral("%1 clipped to %2 characters").arg(Column.Caption()).arg(Column.Size());
    return QStringLiteral("%1 kept without the blanks and control characters at its ends").arg(Column.Caption());
}

bool MatchesFind(const TCliLogin& Login, QStringView Text)
{
    if (Text.isEmpty())
        return false;
    const QString wanted = Text.toString().toUpper();
    return SearchableText(Login.Site).contains(wanted) || SearchableText(Login.Login).contains(wanted) ||
           SearchableText(Login.Note).contains(wanted);
}

QString MaskedPassword(QStringView Password)
{
    qsizetype characters = 0;
    for (qsizetype index = 0; index < Password.size(); ++index)
        if (!Password[index].isLowSurrogate() || index == 0 || !Password[index - 1].isHighSurrogate())
            ++characters;
    return QString(characters, Bullet);
}

QString FirstLine(QStringView Note)
{
    qsizetype end = 0;
    while (end < Note.size() && Note[end] != u'\r' && Note[end] != u'\n')
        ++end;
    return Note.first(end).toString();
}

namespace {

constexpr std::size_t ListColumns = 5;
// Pieces of the list are handed out once they hold about this many characters.
constexpr qsizetype ListPieceSize = 32 * 1024;

std::array<QString, ListColumns> ListCells(const TCliLogin& Login, bool ShowPasswords)
{
    return {QString::number(Login.ID), ToSingleLine(Login.Site), ToSingleLine(Login.Login),
            ShowPasswords ? ToSingleLine(Login.Password) : MaskedPassword(Login.Password), FirstLine(Login.Note)};
}

const std::array<QString, ListColumns>& ListHeader()
{
    static const std::array<QString, ListColumns> header{QStringLiteral("ID"), QStringLiteral("Site name"),
                                                         QStringLiteral("Login name"), QStringLiteral("Password"),
                                                         QStringLiteral("Note")};
    return header;
}

// Appends one line of cells, each but the last padded to its column's width and two blanks, without blanks at
// the line's end.
void AppendListLine(TNESecureText& Piece, const std::array<QString, ListColumns>& Cells,
                    const std::array<qsizetype, ListColumns>& Widths)
{
    const qsizetype lineStart = Piece.Text().size();
    static const QString blanks(256, QLatin1Char(' '));
    for (std::size_t column = 0; column < ListColumns; ++column) {
        Piece.Append(Cells[column]);
        if (column + 1 == ListColumns)
            break;
        for (qsizetype padding = Widths[column] + 2 - Cells[column].size(); padding > 0; padding -= blanks.size())
            Piece.Append(QStringView(blanks).first(std::min(padding, blanks.size())));
    }
    qsizetype end = Piece.Text().size();
    while (end > lineStart && Piece.Text()[end - 1] == QLatin1Char(' '))
        --end;
    Piece.Truncate(end);
    Piece.Append(u"\n");
}

} // namespace

void WriteLoginList(const std::vector<TCliLogin>& Logins, bool ShowPasswords,
                    const std::function<void(const QString& Piece)>& Write)
{
    std::array<qsizetype, ListColumns> widths{};
    const auto widen = [&](const std::array<QString, ListColumns>& Cells) {
        for (std::size_t column = 0; column < ListColumns; ++column)
            widths[column] = std::max(widths[column], Cells[column].size());
    };
    widen(ListHeader());
    for (const TCliLogin& login : Logins)
        widen(ListCells(login, ShowPasswords));

    TNESecureText piece;
    piece.Reserve(ListPieceSize + 1024);
    AppendListLine(piece, ListHeader(), widths);
    for (const TCliLogin& login : Logins) {
        AppendListLine(piece, ListCells(login, ShowPasswords), widths);
        if (piece.Text().size() >= ListPieceSize) {
            Write(piece.Text());
            piece.Burn();
        }
    }
    if (!piece.IsEmpty())
        Write(piece.Text());
}

QString FormatLoginList(const std::vector<TCliLogin>& Logins, bool ShowPasswords)
{
    QString text;
    WriteLoginList(Logins, ShowPasswords, [&text](const QString& Piece) { text += Piece; });
    return text;
}

QString FormatLogin(const TCliLogin& Login)
{
    TNESecureText text(QStringLiteral("ID:         %1\n").arg(Login.ID));
    const TNESecureText note(ToDisplayLineBreaks(Login.Note));
    for (QStringView part : {QStringView(u"Site name:  "), QStringView(Login.Site), QStringView(u"\nLogin name: "),
                             QStringView(Login.Login), QStringView(u"\nPassword:   "), QStringView(Login.Password),
                             QStringView(u"\nNote:       ")})
        text.Append(part);
    // The note's lines after its first are indented under it.
    for (QChar character : note.Text()) {
        text.Append(QStringView(&character, 1));
        if (character == u'\n')
            text.Append(u"            ");
    }
    text.Append(u"\n");
    return text.Take();
}
