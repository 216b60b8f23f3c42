#pragma once

#include "foundation/NSecureBuffer.h"

#include <QObject>

#include <vector>

class QLineEdit;

// Empties the edit, which also drops its undo history, and zeroes the text it held once nobody else holds it.
// The edit gets that storage back, empty and with room for its longest entry, so typing into an edit that echoes
// bullets grows the text in place instead of leaving shorter copies of it behind in freed memory.
void BurnEditText(QLineEdit& Edit);

// Lets an edit that shows its text plainly be emptied without leaving copies of it in freed memory. Such an edit
// lays out a copy of its own of the text at every change and frees the previous one, and its text moves when it
// grows; holding both texts before every event the edit handles keeps each copy alive until Burn zeroes it. The
// copies held cost a few times the square of the text's length, nothing for a line of a form.
class TNEEditTextKeeper : public QObject
{
public:
    explicit TNEEditTextKeeper(QLineEdit& Edit);

    // Empties the edit and zeroes every text it held, but storage others share (the row the text came from).
    void Burn();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Hold();
    void HoldOnce(const QString& Text);

    QLineEdit& Edit_;
    std::vector<TNESecureText> Held_;
};
