// Checks for the box that a failing file step shows, for the fault tests.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/wine/MessageBoxProbe.h"
#include "tests/wine/TestFiles.h"

namespace falvori::test {

inline std::string Describe(const BoxInfo& box) {
    return "box [" + Utf8(box.title) + "] " + Name(box.icon) + ": " + Utf8(box.text);
}

// The box "Achtung!" with the system's text for error, Retry and Cancel.
inline ::testing::AssertionResult IsFailureBox(const std::optional<BoxInfo>& box, DWORD error) {
    if (!box) return ::testing::AssertionFailure() << "no box";
    if (box->title != L"Achtung!" || box->text != SystemText(error) || box->icon != BoxIcon::Exclamation ||
        box->buttons != std::vector<int>{IDRETRY, IDCANCEL} || box->defaultButton != IDRETRY)
        return ::testing::AssertionFailure()
               << Describe(*box) << "; expected the failure box for error " << error << ": "
               << Utf8(SystemText(error));
    return ::testing::AssertionSuccess();
}

}  // namespace falvori::test
