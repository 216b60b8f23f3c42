#pragma once

// The row store: typed rowsets of rows with text and reference columns, held by a store that resolves the
// references and links between rows.

#include "store/NColumn.h"        // IWYU pragma: export
#include "store/NLinkRowset.h"    // IWYU pragma: export
#include "store/NLocaleText.h"    // IWYU pragma: export
#include "store/NRow.h"           // IWYU pragma: export
#include "store/NRowsetBase.h"    // IWYU pragma: export
#include "store/NStore.h"         // IWYU pragma: export
#include "store/NStoreErrors.h"   // IWYU pragma: export
#include "store/NViewRowset.h"    // IWYU pragma: export
#include "store/NVirtualRowset.h" // IWYU pragma: export
