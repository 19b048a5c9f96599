// The handle owner: every handle released exactly once, whichever way it
// goes, and a failed release reported with the system's error number.
#include <gtest/gtest.h>

#include <utility>

#include "ui/controls/GdiOwners.h"

namespace falvori::test {
namespace {

// Whether a kernel handle is still open.
bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(OwnedTest, ReleasesEachHandleOnceWhateverWayItGoes) {
    HANDLE scoped = NewEvent();
    { OwnedHandle owner(scoped); }
    EXPECT_FALSE(IsOpen(scoped)) << "the destructor";

    HANDLE first = NewEvent(), second = NewEvent();
    OwnedHandle owner(first);
    owner.Reset(second);
    EXPECT_FALSE(IsOpen(first)) << "Reset frees what it held";
    owner.Reset(second);
    EXPECT_TRUE(IsOpen(second)) << "Reset with the handle it holds keeps it";

    OwnedHandle moved(std::move(owner));
    EXPECT_FALSE(owner.Valid());
    EXPECT_EQ(moved.Get(), second);
    HANDLE third = NewEvent();
    OwnedHandle other(third);
    other = std::move(moved);
    EXPECT_FALSE(IsOpen(third)) << "assignment frees the handle it replaces";
    EXPECT_TRUE(IsOpen(second));

    HANDLE kept = other.Release();
    EXPECT_FALSE(other.Valid());
    EXPECT_TRUE(IsOpen(kept)) << "Release gives the handle up unclosed";
    CloseHandle(kept);
}

TEST(OwnedTest, CloseReportsTheSystemsErrorNumberOnce) {
    OwnedHandle open(NewEvent());
    EXPECT_EQ(open.Close(), 0u);
    EXPECT_FALSE(open.Valid());
    EXPECT_EQ(open.Close(), 0u) << "nothing left to close";

    for (HANDLE empty : {INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
        OwnedHandle none(empty);
        EXPECT_FALSE(none.Valid());
        EXPECT_EQ(none.Close(), 0u);
    }

    // A handle that is not open: the failure is reported, and only once.
    HANDLE gone = NewEvent();
    CloseHandle(gone);
    OwnedHandle stale(gone);
    EXPECT_EQ(stale.Close(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(stale.Close(), 0u);
}

}  // namespace
}  // namespace falvori::test
