#pragma once
// An entry of the visit objective catalog ("objetivo").

#include "model/CatalogEntry.h"

namespace varnel {

struct Objetivo : CatalogEntry<Objetivo> {};

} // namespace varnel
