#pragma once

#include "foundation/NException.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TNEColumn;
class TNERow;
class TNERowset;

// A login ID that names no login of the vault.
NE_DECLARE_ERROR(ECliNoSuchLoginErr, ENEException, "No such login");

// The four fields of a login and its ID (-1 for a login not yet in a vault).
struct TCliLogin
{
    // The password and the note are zeroed by their last holder.
    ~TCliLogin();

    std::int32_t ID = -1;
    QString Site;
    QString Login;
    QString Password;
    QString Note;
};

// Changes to some fields of a login; a field left empty keeps its value.
struct TCliLoginChange
{
    ~TCliLoginChange();

    std::optional<QString> Site;
    std::optional<QString> Login;
    std::optional<QString> Password;
    std::optional<QString> Note;
};

// The logins of the LOGIN rowset: reading them in the window's orders, adding and changing them. The values are
// fitted to their columns the way the store fits them; every value that did not fit as given is named in the
// notices. A note goes in with its line breaks as CR LF, as the vault keeps them, and comes out with LF ones, so a
// note round-trips exactly.
class TCliLoginTable
{
public:
    // Raises ENERowsetStructureErr when the rowset lacks one of the login columns.
    explicit TCliLoginTable(TNERowset& Rowset);

    // In ascending ID.
    std::vector<TCliLogin> All() const;
    // Sorted by site name as the window sorts them.
    std::vector<TCliLogin> Sorted() const;
    // The sorted logins whose site name, login name or note contain Text, compared in upper case.
    std::vector<TCliLogin> Find(QStringView Text) const;
    // Raises ECliNoSuchLoginErr for an ID no login has.
    TCliLogin Get(std::int32_t ID) const;

    // Adds a login with a fresh ID and returns the ID.
    std::int32_t Add(const TCliLogin& Login, QStringList& Notices);
    void Change(std::int32_t ID, const TCliLoginChange& Change, QStringList& Notices);
    void Remove(std::int32_t ID);

private:
    TNERow& RowOf(std::int32_t ID) const;
    TCliLogin Read(const TNERow& Row) const;
    std::vector<TNERow*> SortedRows() const;
    // The notice for a value its column did not keep as given, or nothing.
    void NoteFit(int Column, QStringView Given, QStringList& Notices) const;

    TNERowset& Rowset_;
    int SiteColumn_;
    int LoginColumn_;
    int PasswordColumn_;
    int NoteColumn_;
};

// How a column kept a value: clipped to its size, or stripped of blanks and control characters at its ends.
// Empty when the value was kept as given.
QString FitNotice(const TNEColumn& Column, QStringView Given);

// The window's find rule: the upper-cased text occurs in the upper-cased site name, login name or note (each line
// break reads as one space, as in the list's cells). An empty text matches nothing.
bool MatchesFind(const TCliLogin& Login, QStringView Text);
// One "•" per character of the password.
QString MaskedPassword(QStringView Password);
// The note up to its first line end.
QString FirstLine(QStringView Note);

// The list of logins: a header, then one line per login with ID, site name, login name, password (masked unless
// ShowPasswords) and the first line of the note, in aligned columns.
QString FormatLoginList(const std::vector<TCliLogin>& Logins, bool ShowPasswords);
// The same list handed to Write in pieces of some thousand characters as it is made, so that a long list is never
// held whole; each piece is zeroed once Write returns.
void WriteLoginList(const std::vector<TCliLogin>& Logins, bool ShowPasswords,
                    const std::function<void(const QString& Piece)>& Write);
// One login in full, password included; the note's further lines are indented under its first.
QString FormatLogin(const TCliLogin& Login);
