#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>

class TNERowset;

enum TNEColumnKind : std::uint8_t
{
    ckReference = 0,
    ckString = 1,
};

// One column of a rowset: a text (STR) or a reference to a row of another rowset of the same store (REF).
class TNEColumn
{
public:
    // The longest text a STR cell holds.
    static constexpr int MaxTextLength = 65535;

    TNEColumn(TNERowset& Owner, QString Caption, QString Name, TNEColumnKind Kind, std::int32_t Size, bool Flag);

    // Reads one column descriptor (caption, name, kind, size or target rowset name, flag); REF targets are looked
    // up in the owner's store. Raises ENERowsetStructureErr for a descriptor that makes no column.
    static std::unique_ptr<TNEColumn> FromDescriptor(TNERowset& Owner, QStringView Descriptor);
    // The descriptor FromDescriptor reads back into the same column.
    QString Descriptor() const;

    const QString& Caption() const { return Caption_; }
    const QString& Name() const { return Name_; }
    // STR: maximum length in characters (0 = unlimited); REF: store ID of the target rowset.
    std::int32_t Size() const { return Size_; }
    // STR: multi-line; REF: nullable.
    bool Flag() const { return Flag_; }
    TNERowset& Rowset() const { return Rowset_; }
    TNEColumnKind Kind() const { return Kind_; }

    // The text as a STR cell of this column keeps it: trimmed, cut to the size, trimmed again.
    QString FitText(QStringView Text) const;
    // The same, handing back Text itself, without a copy, when it fits as it is.
    QString FitText(QString&& Text) const;

private:
    // The part of Text that FitText keeps.
    QStringView FittedView(QStringView Text) const;

    QString Caption_;
    QString Name_;
    std::int32_t Size_;
    bool Flag_;
    TNERowset& Rowset_;
    TNEColumnKind Kind_;
};
