#include "backend/HeapTuning.h"

#include <malloc.h>

namespace varnel {

void tuneHeapForLargeReplies() {
#ifdef M_TRIM_THRESHOLD
  mallopt(M_TOP_PAD, 16 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
}

} // namespace varnel
