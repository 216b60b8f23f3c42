#pragma once

#include "foundation/NContainBase.h"
#include "foundation/NException.h"

// The row store's errors; each carries only its message. ENEInvalidIndexErr and ENEDuplicateItemErr of the
// containers are raised for missing and repeated row IDs.
NE_DECLARE_ERROR(ENERowsetStructureErr, ENEException, "Rowset structure error");
NE_DECLARE_ERROR(ENETypeMismatchErr, ENEException, "Type mismatch error");
NE_DECLARE_ERROR(ENEInvalidValueErr, ENEException, "Invalid field value error");
NE_DECLARE_ERROR(ENEIllegalWriteErr, ENEException, "Illegal write error");
NE_DECLARE_ERROR(ENEIllegalDeleteErr, ENEException, "Illegal delete error");
NE_DECLARE_ERROR(ENEInvalidRowErr, ENEException, "Invalid row error");
NE_DECLARE_ERROR(ENEEngagedRowErr, ENEException, "Previously engaged row rejected");
NE_DECLARE_ERROR(ENEInvalidRowsetErr, ENEException, "Invalid rowset error");
// The document ends inside a rowset: the file was cut short, and its rows are not all there.
NE_DECLARE_ERROR(ENEStoreIncompleteErr, ENEException, "The store is incomplete: the file was cut short");
