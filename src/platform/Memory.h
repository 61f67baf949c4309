#pragma once
// Returning freed memory to the system.

namespace Platform {
// Hands the heap's free pages back to the system once the event loop turns again. The C library
// keeps them otherwise: after closing a tab with a big, much edited text the program would stay
// at its peak size.
void ReleaseFreeMemorySoon();
}  // namespace Platform
