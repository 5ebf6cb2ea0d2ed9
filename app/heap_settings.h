// How the program's heap treats the large pixel buffers of the footprint road.
#pragma once

namespace Tarnwick1 {

// Every image of a run allocates buffers of the same few sizes (the decoded picture, the page,
// its BMP). Left to the C library, each buffer of more than a few megabytes is a fresh mapping
// that the kernel faults in page by page and unmaps again on release; kept in the heap, the
// next image reuses the same memory. Called once at the program's start.
void KeepLargeBuffersInHeap();

}  // namespace Tarnwick1
