// A platform for the window tests: message boxes are answered from a script
// and recorded; every other service is unexpected here and fails the test.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Platform.h"

namespace falvori::test {

struct ShownBox {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
};

class ScriptedPlatform : public Platform {
public:
    // Each answer may act first (make a drive readable, say) and then
    // returns the button code.
    std::deque<std::function<int()>> answers;
    std::vector<ShownBox> shown;

    void Answer(int button) {
        answers.push_back([button] { return button; });
    }

    int messageBox(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
        shown.push_back({text, title, icon, buttons});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected box \"" << title << "\": " << text;
            return kCancel;
        }
        auto answer = std::move(answers.front());
        answers.pop_front();
        return answer();
    }

    [[noreturn]] void endProgram(int status) override {
        ADD_FAILURE() << "the window ended the program with status " << status;
        std::fflush(stdout);
        std::_Exit(99);
    }

    std::string commandLine() override { return Unexpected<std::string>("commandLine"); }
    std::string programFolder() override { return Unexpected<std::string>("programFolder"); }
    std::string environmentVariable(const std::string&) override { return Unexpected<std::string>("environment"); }
    std::string fallbackTempFolder() override { return Unexpected<std::string>("fallbackTempFolder"); }
    char separator() override { return '\\'; }
    std::unique_ptr<File> openForReading(const std::string&, Failure& failure) override {
        failure = Unexpected<Failure>("openForReading");
        return nullptr;
    }
    std::unique_ptr<File> createForWriting(const std::string&, Failure& failure) override {
        failure = Unexpected<Failure>("createForWriting");
        return nullptr;
    }
    Failure fileExists(const std::string&, bool&) override { return Unexpected<Failure>("fileExists"); }
    Failure deleteFile(const std::string&) override { return Unexpected<Failure>("deleteFile"); }
    Failure copyFile(const std::string&, const std::string&) override { return Unexpected<Failure>("copyFile"); }
    Failure endOfFileFailure() override { return Unexpected<Failure>("endOfFileFailure"); }

private:
    template <typename T>
    T Unexpected(const char* what) {
        ADD_FAILURE() << "the window tests do not expect the platform's " << what;
        if constexpr (std::is_same_v<T, Failure>)
            return Failure{1, "unexpected"};
        else
            return T{};
    }
};

}  // namespace falvori::test
