#pragma once
// Lets the heap of this process use transparent huge pages.

// A search with hundreds of thousands of hits keeps as many result strings on
// the heap; with 4 KB pages every 4 KB of them costs a page fault. This
// reserves heap in one piece and asks the kernel to back it with huge pages
// where it can. Harmless where it cannot.
void UseHugePagesForTheHeap();
