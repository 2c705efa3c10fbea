// A dialog stand-in that records every control write, for tests.
#pragma once

#include "editors/DialogControls.h"

#include <map>
#include <string>
#include <vector>

class CRecordingControls : public IDialogControls {
public:
    void AppendLine(std::string_view line) override
    {
        lines.emplace_back(line);
        calls.emplace_back(line);
    }
    void ScrollToLast() override { ++scrollCalls; }
    void SetControlText(int id, std::string_view text) override
    {
        // An edit with a limit keeps only what it can hold, as the dialog's does.
        if (const auto limit = limits.find(id); limit != limits.end() && limit->second >= 0)
            text = text.substr(0, static_cast<size_t>(limit->second));
        texts[id] = std::string(text);
        calls.push_back("@" + std::to_string(id) + " text " + std::string(text));
    }
    void SelectListLine(int id, int index) override
    {
        selections[id] = index;
        calls.push_back("@" + std::to_string(id) + " select " + std::to_string(index));
    }
    void InsertListLine(int id, int index, std::string_view text) override
    {
        auto& list = listLines[id];
        if (index < 0 || static_cast<size_t>(index) > list.size())
            index = static_cast<int>(list.size());
        list.insert(list.begin() + index, std::string(text));
        calls.push_back("@" + std::to_string(id) + " insert " + std::to_string(index) + " " + std::string(text));
    }
    void AddListLine(int id, std::string_view text) override
    {
        // Sorted lists are not told apart here: lines go to the end.
        listLines[id].emplace_back(text);
        calls.push_back("@" + std::to_string(id) + " add " + std::string(text));
    }
    void ReplaceListLine(int id, int index, std::string_view text) override
    {
        auto& list = listLines[id];
        if (index >= 0 && static_cast<size_t>(index) < list.size())
            list[static_cast<size_t>(index)] = std::string(text);
        calls.push_back("@" + std::to_string(id) + " replace " + std::to_string(index) + " " + std::string(text));
    }
    void ResetList(int id) override
    {
        listLines[id].clear();
        calls.push_back("@" + std::to_string(id) + " reset");
    }
    void SetCheck(int id, bool checked) override
    {
        checks[id] = checked;
        calls.push_back("@" + std::to_string(id) + " check " + (checked ? "1" : "0"));
    }
    std::string ControlText(int id) const override
    {
        auto it = texts.find(id);
        return it == texts.end() ? std::string() : it->second;
    }

    void SetTextLimit(int id, int chars) override
    {
        limits[id] = chars;
        calls.push_back("@" + std::to_string(id) + " limit " + std::to_string(chars));
    }
    void FocusDialog() override { calls.emplace_back("@dialog focus"); }

    //! Control writes only (no message-window lines), in order.
    std::vector<std::string> ControlCalls() const
    {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (!c.empty() && c[0] == '@')
                out.push_back(c);
        return out;
    }
    void Reset() { *this = CRecordingControls(); }

    std::vector<std::string> lines;   //!< message-window lines
    std::vector<std::string> calls;   //!< lines and control writes, in call order
    std::map<int, std::string> texts;
    std::map<int, int> selections;
    std::map<int, bool> checks;
    std::map<int, int> limits;
    std::map<int, std::vector<std::string>> listLines;
    int scrollCalls = 0;
};
