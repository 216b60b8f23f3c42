#pragma once

#include "foundation/NMethod.h"

#include <cstdint>

class QIODevice;
class TNEStore;

// Turns a whole store into its XML document and builds a store back from one. The document is the plain payload of
// a vault file: every attribute value (except the store's version) and every element text is a field list, so user
// text never reaches the XML in the clear and the document is plain ASCII. View rowsets are never written. Rows
// keep their IDs, time stamps and ranks both ways.
//
// Abort: when OnProgress sets Abort, the operation stops and raises ENEAbort, so the caller knows it did not
// complete. An aborted write has written nothing to the stream; an aborted read leaves in the store what was read
// so far (the rowset being read gets its mode from the document).
class TNEStoreStreamer
{
public:
    using TNEProgressMethod = TNEMethod<void(std::int32_t Position, std::int32_t Total, bool& Abort)>;

    // The document version written; versions 1 and 2 are read.
    static constexpr std::int32_t WrittenVersion = 2;

    // Optional; called after every row written (rows written so far, rows to write) or read (bytes of the document
    // parsed so far, its length).
    TNEProgressMethod OnProgress;

    // The version of the document read last; 0 before any read and after reading a stream without a store element.
    std::int32_t Version() const { return Version_; }

    // Composes the document in memory and appends it at the device's position in one piece.
    void WriteStore(TNEStore& Store, QIODevice& Stream);
    // Adds the rowsets and rows of the document that starts at the device's position to Store. A stream without a
    // store element, or with a version other than 1 or 2, adds nothing and raises nothing. Errors of creating
    // rowsets and inserting rows propagate; what was read before stays in Store.
    void ReadStore(TNEStore& Store, QIODevice& Stream);

private:
    // Calls OnProgress, when assigned, and tells whether it asked to stop.
    bool IsAborted(std::int64_t Position, std::int64_t Total) const;

    std::int32_t Version_ = 0;
};
