// The files a run writes, put in place together or not at all: each is
// written and synced under a temporary name first (output/replacement_file.h),
// and only once every one is complete are they renamed over their targets.
#pragma once

#include <deque>
#include <string>

#include "output/replacement_file.h"

struct ReplacementGroup {
    std::deque<ReplacementFile> files;  // in the order they were added
};

// A new member, its temporary file already open (see openReplacement).
ReplacementFile& addReplacement(ReplacementGroup& group, const std::string& target, ExistingFile existing);

// Puts every member, each finished by finishReplacement, in place, the last
// added first, so that once the first member (the compacted file) is new,
// every other member is too, even after a kill; then syncs the directories
// that hold them. While it does, it holds an exclusive
// advisory lock (flock) on the directory of the first member, so that
// runs writing there replace their groups one after another, never
// interleaved; where the directory cannot be opened or locked it goes on
// without the lock. A target that exists is exchanged atomically with its
// temporary file, so that a failure part way puts every target done so far
// back as it was; a target that is a directory fails before any is
// touched. Any failure removes every temporary file and reports "Can't write
// file" with the target that failed.
void replaceGroup(ReplacementGroup& group);
