#pragma once

#include <vector>

#include "core/RunState.h"
#include "store/Table.h"
#include "store/XmlDocument.h"

namespace tto {

// The catalogue ASIGNOMT: subjects first, then activity types, each with a short code COD
// of at most four characters that no other row of the table carries.
const std::vector<FieldDef>& CatalogueFields();

// Gives each element of a main list (subjects or activity types) its short code and
// appends a row for it to the open catalogue table, against the registries CodigosUsados
// and NombresUsados that the two catalogue builders share. A list of fewer than two
// elements adds nothing.
void AddCatalogueEntries(RunState& state, Table& catalogue, const XmlNodeList& elements,
                         bool esTarea);

}  // namespace tto
