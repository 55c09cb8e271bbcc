// platform/kept_memory.h: holding on to freed memory while a long job takes and frees large
// blocks over and over.
//
// The C library gives freed memory at the top of the heap back to the system once more than a
// little of it is free, and serves blocks of more than a few hundred kilobytes from mappings of
// their own. A job that takes and frees the same large blocks thousands of times (Qt's PDF
// writer takes two 16 MB buffers for every page it compresses) then maps, faults in and unmaps
// that memory each time, which on a virtual machine costs more than the job's own work.
#pragma once

namespace quorvel::platform {

// While one lives, large blocks come from the heap and freed memory stays there for the next
// one; when the last one goes, the heap's free memory is given back. The thresholds stay where
// they were set: once set, the C library no longer moves them by itself, and setting its initial
// ones again would map every block of more than 128 KB on its own from then on. For the thread
// that does the job; does nothing where the C library has no such settings.
class KeptFreedMemory {
public:
    KeptFreedMemory();
    ~KeptFreedMemory();
    KeptFreedMemory(const KeptFreedMemory&) = delete;
    KeptFreedMemory& operator=(const KeptFreedMemory&) = delete;
};

}  // namespace quorvel::platform
