// The message boxes of a test platform, for the core's tests and the
// window's: each box recorded, answered from a script, and the boxes the
// program shows to compare with.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "core/Platform.h"

namespace falvori::test {

struct ShownBox {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
    bool operator==(const ShownBox&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ShownBox& box) {
    return out << "box [" << box.title << "] icon " << static_cast<int>(box.icon) << " buttons "
               << static_cast<int>(box.buttons) << ": " << box.text;
}

// What a failing file step shows, with the failure's `text`.
inline ShownBox FailureBox(const std::string& text) {
    return {text, "Achtung!", MsgIcon::Exclamation, MsgButtons::RetryCancel};
}
inline const ShownBox kOverwriteQuestion{"Soll die Zieldatei \xC3\xBC" "berschrieben werden?", "Achtung",
                                         MsgIcon::Question, MsgButtons::YesNo};

// A button code, or something to do first (insert a medium, say) that then
// returns the button code.
struct ScriptedAnswer {
    ScriptedAnswer(int button) : press([button] { return button; }) {}
    template <typename Action, typename = std::enable_if_t<std::is_invocable_r_v<int, Action>>>
    ScriptedAnswer(Action action) : press(std::move(action)) {}
    std::function<int()> press;
};

class Boxes {
public:
    std::deque<ScriptedAnswer> answers;
    std::vector<ShownBox> shown;

    // Records the box; the script's next answer, none once it has run out.
    std::optional<int> Answer(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) {
        shown.push_back({text, title, icon, buttons});
        if (answers.empty()) return std::nullopt;
        ScriptedAnswer answer = std::move(answers.front());
        answers.pop_front();
        return answer.press();
    }
};

}  // namespace falvori::test
