#pragma once

// The library's smallest pieces: linked structures of item references, the field-list codec, time stamps, and the
// text and file routines.

#include "foundation/NFieldList.h"        // IWYU pragma: export
#include "foundation/NFileUtilities.h"    // IWYU pragma: export
#include "foundation/NSimpleStructures.h" // IWYU pragma: export
#include "foundation/NTextUtilities.h"    // IWYU pragma: export
#include "foundation/NTimeStamp.h"        // IWYU pragma: export
