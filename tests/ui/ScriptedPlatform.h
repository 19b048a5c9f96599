// The real Windows platform, but its message boxes are answered from a
// script and recorded, and ending the program fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "Win32Platform.h"

namespace falvori::test {

struct ShownBox {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
};

// A button code, or something to do first (insert a medium, say) that then
// returns the button code.
struct ScriptedAnswer {
    ScriptedAnswer(int button) : press([button] { return button; }) {}
    template <typename Action, typename = std::enable_if_t<std::is_invocable_r_v<int, Action>>>
    ScriptedAnswer(Action action) : press(std::move(action)) {}
    std::function<int()> press;
};

class ScriptedPlatform : public Win32Platform {
public:
    std::deque<ScriptedAnswer> answers;
    std::vector<ShownBox> shown;

    int ShowBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected box \"" << title << "\": " << text;
            return kCancel;
        }
        ScriptedAnswer answer = std::move(answers.front());
        answers.pop_front();
        return answer.press();
    }

    [[noreturn]] void EndProgram(int status) override {
        ADD_FAILURE() << "the window ended the program with status " << status;
        std::fflush(stdout);
        std::_Exit(99);
    }
};

}  // namespace falvori::test
