// How the program's heap treats the large pixel buffers of the footprint road.
#pragma once

namespace Tarnwick1 {

// Every image of a run allocates buffers of the same few sizes (the decoded picture, the page,
// its BMP). The program's own large blocks are large blocks (platform/rtl/large_blocks.h: this
// file replaces the C++ allocation functions for them); the libraries' large buffers stay in
// the C library's heap, reused from image to image instead of mapped and faulted in afresh.
// Called once at the program's start.
void KeepLargeBuffersInHeap();

// Gives the pages that earlier files left free inside the heap back to the system, so that the
// next file's buffers do not stand beside memory no file uses. Called before each file.
void ReturnFreeHeapPages();

// Gives back, after a run, what the heap and the large blocks keep for the next file.
void ReturnIdleMemory();

}  // namespace Tarnwick1
