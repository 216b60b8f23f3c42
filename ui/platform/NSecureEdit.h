#pragma once

#include "foundation/NSecureBuffer.h"

#include <QObject>

#include <vector>

class QLineEdit;

// Lets an edit be emptied without leaving copies of its text in freed memory. An edit that shows its text plainly
// lays out a copy of its own at every change and frees the previous one; a selection typed over goes with a copy of
// the text it replaced, whatever the echo; and the text moves when it outgrows its storage. Holding the text and
// the text shown before every event that may copy them keeps each copy alive until Burn zeroes it. An edit that
// echoes bullets and types into the storage Burn gives it copies nothing and is left alone. The copies held cost a
// few times the square of the text's length, nothing for a line of a form.
class TNEEditTextKeeper : public QObject
{
public:
    explicit TNEEditTextKeeper(QLineEdit& Edit);

    // Empties the edit and zeroes every text it held, but storage others share (the row the text came from). The
    // edit gets its own storage back, empty and with room for its longest entry, so typing grows the text in place.
    void Burn();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool MayCopyText() const;
    void Hold();
    void HoldOnce(const QString& Text);

    QLineEdit& Edit_;
    std::vector<TNESecureText> Held_;
};
