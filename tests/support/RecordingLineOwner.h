// A line owner that writes down each call a line makes, in order: "height 48", "width 65",
// "updown 38", "enter", "exit", "caret", "text", "key 13", "near -1" (no neighbours: no splits).
#pragma once

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "editor/LineEditor.h"
#include "editor/LineOwner.h"

namespace zelm::test {

class RecordingLineOwner : public LineOwner {
public:
    std::vector<std::string> calls;
    /// Runs after each call is written down, with the line that made it.
    std::function<void(TMathEditor&)> onCall;

    /// How often the call `name` came.
    int Count(const std::string& name) const { return int(std::ranges::count(calls, name)); }
    /// The calls whose first word is one of `names`, in order.
    std::vector<std::string> Of(const std::set<std::string>& names) const {
        std::vector<std::string> out;
        for (const std::string& c : calls)
            if (names.count(c.substr(0, c.find(' ')))) out.push_back(c);
        return out;
    }

    void HeightChanged(TMathEditor& line, int h) override { Add(line, "height", h); }
    void WidthChanged(TMathEditor& line, int w) override { Add(line, "width", w); }
    void UpDown(TMathEditor& line, unsigned short d) override { Add(line, "updown", d); }
    void Entered(TMathEditor& line) override { Add(line, "enter"); }
    void Exited(TMathEditor& line) override { Add(line, "exit"); }
    void CaretMoved(TMathEditor& line) override { Add(line, "caret"); }
    void TextChanged(TMathEditor& line) override { Add(line, "text"); }
    void FormKeyDown(TMathEditor& line, int& key, ShiftState) override { Add(line, "key", key); }
    TMathEditor* Neighbour(TMathEditor& l, int d) override { return Add(l, "near", d), nullptr; }
    void CheckRoomForNewLine() override { calls.push_back("room"); }
    void SaveRecoveryState() override { calls.push_back("state"); }
    TMathEditor& NewLineBelow(TMathEditor& line) override { return Add(line, "new"), line; }
    void TakeOut(TMathEditor& line) override { Add(line, "takeout"); }
    void Discard(TMathEditor& line) override { Add(line, "discard"); }
    void Focus(TMathEditor& line) override { Add(line, "focus"); }

private:
    void Add(TMathEditor& l, std::string call, int n) { Add(l, call + " " + std::to_string(n)); }
    void Add(TMathEditor& line, std::string call) {
        calls.push_back(std::move(call));
        if (onCall) onCall(line);
    }
};

} // namespace zelm::test
