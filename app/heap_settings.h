// How the program's heap treats the large pixel buffers of the footprint road.
#pragma once

namespace Tarnwick1 {

// Every image of a run allocates buffers of the same few sizes (the decoded picture, the page,
// its BMP). The program's own large blocks are large blocks (platform/rtl/large_blocks.h: this
// file replaces the C++ allocation functions for them); the libraries' large buffers stay in
// the C library's heap, reused from image to image instead of mapped and faulted in afresh.
// Called once at the program's start.
void KeepLargeBuffersInHeap();

// Gives the pages left free inside the heap back to the system (a large buffer the heap served
// from a free stretch stays there, and keeps its pages, once freed). Called between a file's
// import and its page.
void ReturnFreeHeapPages();

// Gives back what the heap and the large blocks keep: the free heap pages and the released
// large block kept for the next request. Called before each file (so that what one file needed,
// its page kept for the next page, does not stand beside the next file's buffers while they
// come from elsewhere: a run costs no more than its largest file) and after a run.
void ReturnIdleMemory();

}  // namespace Tarnwick1
