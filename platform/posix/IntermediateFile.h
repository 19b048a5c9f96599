// The intermediate file, held from its creation until it has become the
// destination or is discarded. Its folder is opened once and checked; every
// later step goes through that folder's descriptor or the file's own, never
// again through a path whose folders another user could swap.
#pragma once

#include <string>

#include "core/Platform.h"
#include "platform/posix/PosixFile.h"
#include "platform/posix/UniqueFd.h"

namespace falvori {

class PosixIntermediate : public Intermediate {
public:
    // Opens (creating it when missing) and empties the file at `path`, and
    // takes an exclusive lock on it. Refuses a folder that others may write
    // without being sticky, and at `path` a link, a FIFO, a device, a file of
    // another user or one with several names; a file another conversion
    // holds gives EBUSY. `privateFolder`: the folder is the program's own
    // fallback, made 0700 when missing and refused when open to anyone else.
    static Result<std::unique_ptr<Intermediate>> Create(const std::string& path, bool privateFolder);

    IoResult Read(void* buffer, std::size_t size) override;
    IoResult Write(const void* data, std::size_t size) override;
    // Closes the descriptor written through, checked; the file stays held.
    Failure Close() override;
    Failure PlaceAt(const std::string& to) override;
    Failure Settle() override;
    Failure Discard() override;

    int Fd() const { return held_.Get(); }
    int Folder() const { return folder_.Get(); }
    const std::string& Name() const { return name_; }
    // Whether nobody but us and root can rename in its folder: only then may
    // the file itself be renamed into place.
    bool MayMove() const { return mayMove_; }

private:
    PosixIntermediate() = default;

    std::unique_ptr<PosixFile> writer_;
    UniqueFd held_;    // open and locked until discarded or placed
    UniqueFd folder_;  // the checked folder it lies in
    std::string name_;
    bool mayMove_ = false;
    bool placed_ = false;
    UniqueFd settle_;  // the folder that took a replacing rename, flushed after it
};

}  // namespace falvori
