// Whether a file system already keeps a replace by rename safe without our
// own flush.
#pragma once

namespace falvori {

// True when a rename over an existing file in this folder is written to disk
// only after the renamed file's data: ext4 does so by itself (auto_da_alloc)
// in its ordered and journal modes, ext3 in those modes too. False for any
// other file system, for those modes switched off, and when it cannot be told.
bool RenameWritesDataFirst(int folder);

}  // namespace falvori
