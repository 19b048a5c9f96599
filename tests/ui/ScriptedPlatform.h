// The real Windows platform, but its message boxes are answered from a
// script and recorded, and ending the program fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/Win32Platform.h"
#include "tests/Boxes.h"

namespace falvori::test {

class ScriptedPlatform : public Win32Platform, public Boxes {
public:
    int ShowBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
        if (auto answer = Answer(text, title, icon, buttons)) return *answer;
        ADD_FAILURE() << "unexpected " << shown.back();
        return kCancel;
    }

    [[noreturn]] void EndProgram(int status) override {
        ADD_FAILURE() << "the window ended the program with status " << status;
        std::fflush(stdout);
        std::_Exit(99);
    }
};

}  // namespace falvori::test
