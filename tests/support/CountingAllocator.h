// Counts of the replacement operator new and delete of a program that links
// CountingAllocator.cpp: blocks allocated, and bytes allocated and not yet
// freed, so that a test can say how much a stretch of code allocates and
// whether the heap grew over it.
#pragma once

namespace korvath::testing {

// Blocks allocated since the program started, by every form of new.
long long Allocations();

// Bytes allocated and not yet freed.
long long LiveBytes();

}  // namespace korvath::testing
