#pragma once

#include "store/NRowsetBase.h"

#include <cstdint>
#include <vector>

// One condition of a view: the source row's value in Column must equal Value exactly (a row ID for a REF column,
// -1 meaning null; a text for a STR column).
struct TNEViewCondition
{
    int Column = 0;
    TNEFieldValue Value;
};

// A read-only rowset that mirrors the rows of a source rowset matching all its conditions. It follows the source
// through its observation point and announces its own inserts, changes and deletions, so lists bound to it follow
// too. The rows belong to the source; the view holds them without owning them.
class TNERowset_View : public TNERowset
{
public:
    TNERowset_View(TNEStore& Owner, TNERowset& Source, std::vector<TNEViewCondition> Conditions);
    ~TNERowset_View() override;

    // Null once the source is destroyed; the view is empty then.
    TNERowset* SourceRowset() const { return Source_; }
    const std::vector<TNEViewCondition>& Conditions() const { return Conditions_; }
    bool Matches(const TNERow& Row) const;

protected:
    // Rows are made in the source only.
    std::unique_ptr<TNERow> CreateRow() override;

private:
    friend class TNEStore;

    // Raises ENERowsetStructureErr for a condition on a column the source lacks.
    void CheckConditions() const;
    // Takes the matching rows and starts following the source; once the columns are defined.
    void Load();
    void SourceChanged(TNERowset* Sender);
    void Follow(TNERow& Row);
    void Drop(TNERow& Row);
    void Detach();

    TNERowset* Source_;
    std::vector<TNEViewCondition> Conditions_;
};
