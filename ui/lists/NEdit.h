#pragma once

// Row lists, the row editor with its field editors, link pages and the row picker.

#include "ui/lists/NFieldEdit.h" // IWYU pragma: export
#include "ui/lists/NLinkPage.h"  // IWYU pragma: export
#include "ui/lists/NRowEditor.h" // IWYU pragma: export
#include "ui/lists/NRowList.h"   // IWYU pragma: export
#include "ui/lists/NRowPicker.h" // IWYU pragma: export
