// What the copy steps of both adapters share: how a destination may be
// replaced, and what one way of replacing it did.
#pragma once

#include <utility>

#include "core/Platform.h"

namespace falvori {

enum class ReplaceWay {
    New,      // absent: a new file takes the name
    Replace,  // a new file with the old one's attributes takes the name in one rename
    InPlace,  // the bytes go into the existing file itself
};

// What one way did: its job, nothing (the next way is to try), or found that
// only writing in place keeps the destination what it was.
struct Outcome {
    enum Kind { Done, NotApplicable, InPlaceOnly, Failed };
    Outcome(Kind k, Failure f = {}) : kind(k), failure(std::move(f)) {}
    Kind kind;
    Failure failure;
};

inline Outcome Failed(Failure failure) { return {Outcome::Failed, std::move(failure)}; }

}  // namespace falvori
