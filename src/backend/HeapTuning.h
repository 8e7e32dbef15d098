#pragma once
// Heap settings for a process that decodes large replies again and again.

namespace varnel {

// Keeps freed heap memory for reuse instead of handing it back to the
// system after every large reply: reloading a long visit list then does not
// pay the page faults of growing the heap anew each time.
void tuneHeapForLargeReplies();

} // namespace varnel
