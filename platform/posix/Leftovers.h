// New files of ours that a killed conversion left beside a destination
// between giving them a name and renaming them over it.
#pragma once

namespace falvori {

// The prefix of such a file's name; six random characters follow.
inline constexpr char kNewFilePrefix[] = ".~Falvori~";

// Removes from the folder the files with our prefix that belong to this user,
// have one name and are not locked by a running conversion (each one locks
// its new file from its creation until it has taken the destination's name).
void RemoveLeftovers(int folder);

}  // namespace falvori
