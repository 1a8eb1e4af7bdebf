#pragma once
// The folder dump --files writes into. Names in a stream are anyone's choice, and a folder
// given by the user may hold anything, so dump fills a fresh folder of its own inside it
// and only then moves what it made into place, next to what is there, never over it. A
// signal that ends the tool meanwhile (SIGTERM, SIGINT, SIGHUP) removes that folder first.

#include "tools/RemoveOnSignal.h"

#include <filesystem>
#include <vector>

namespace orlenth::tool {

class TStagedFolder {
public:
    // Makes `out` (and its parents) when missing, then a new folder inside it under a name
    // no one else has. A folder that cannot be made: EFOpenError naming it.
    explicit TStagedFolder(std::filesystem::path out);
    // Removes the fresh folder with whatever is still in it; nothing else.
    ~TStagedFolder();
    TStagedFolder(const TStagedFolder&) = delete;
    TStagedFolder& operator=(const TStagedFolder&) = delete;

    // Where to write.
    const std::filesystem::path& Stage() const { return stage_; }

    // Moves every entry of the fresh folder into `out` and returns where they went. When
    // `out` already holds one of their names, or an entry would land outside `out`: a
    // UsageError naming it, before anything has moved. The moves never replace anything,
    // even one that appears meanwhile (that is a UsageError too, and what had moved is
    // moved back: a failed commit leaves `out` as it was). Two dumps into one folder commit
    // one after the other (a lock on `out`), and a signal waits until the commit is done.
    std::vector<std::filesystem::path> Commit();

private:
    std::vector<std::filesystem::path> commitLocked();

    TRemoveOnSignal signals_;
    std::filesystem::path out_;
    std::filesystem::path stage_;
};

} // namespace orlenth::tool
