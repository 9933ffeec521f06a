// Peak memory of one call, measured in a process of its own so that no
// earlier call has left freed memory lying in the heap for it to reuse: the
// resident set is read, its high-water mark reset (Linux clear_refs "5"),
// the call made, and the new high-water mark read. The difference is what
// the call itself needed at its peak, in whole pages actually touched.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zarvik::bench {

struct PeakMemory {
    size_t packageBytes = 0;  // the check package as UTF-8 XML
    size_t peakBytes = 0;     // resident set high-water mark above the start
};

// Runs this program again with ChildFlag(), which ends in RunPeakMemoryChild.
std::optional<PeakMemory> MeasurePeakMemory(int positions);

const char* ChildFlag();
int RunPeakMemoryChild(int positions);  // prints "<peak> <package>" and returns the exit code

}  // namespace zarvik::bench
