#pragma once
// An entry of the visit classification catalog ("classificacao").

#include "model/CatalogEntry.h"

namespace varnel {

struct Classificacao : CatalogEntry<Classificacao> {};

} // namespace varnel
