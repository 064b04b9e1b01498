#pragma once
#include <atomic>
#include <cstdint>

// How far the listings of a run have come: folders read and files kept so far. Written by
// the listing threads, read by whoever shows the progress, at any time.
struct ListingProgress {
    std::atomic<int32_t> Folders{0};
    std::atomic<int64_t> Files{0};

    void FolderListed(int64_t files)
    {
        Folders.fetch_add(1, std::memory_order_relaxed);
        Files.fetch_add(files, std::memory_order_relaxed);
    }
};
