// Parts held in memory (PartsTable, BomPartsTable.h), read into a PartsBuilder
// as a parts file is.
#ifndef BOMREPORT_INPUT_PARTS_TABLE_H_
#define BOMREPORT_INPUT_PARTS_TABLE_H_

#include "BomPartsTable.h"
#include "input/parts_builder.h"

namespace bomreport {

// Feeds every part of `table` to `builder`, typing its values as BomPartsTable.h
// says. Throws InputError "NAME:PART: reason", PART being the part's number
// from 1 (and the token for a bad value).
void readPartsTable(const PartsTable& table, PartsBuilder& builder);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_TABLE_H_
