#pragma once

class QLineEdit;

// Empties the edit, which also drops its undo history, and zeroes the text it held once nobody else holds it.
// The edit gets that storage back, empty and with room for its longest entry, so typing into an edit that echoes
// bullets grows the text in place instead of leaving shorter copies of it behind in freed memory.
void BurnEditText(QLineEdit& Edit);
