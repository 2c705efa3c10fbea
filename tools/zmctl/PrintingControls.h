// The dialog stand-in of zmctl: prints each message-window line and,
// on request, each control write in the forms "@ID text TEXT",
// "@ID select INDEX", "@ID check 0|1", "@ID limit CHARS", "@dialog focus",
// in call order.
#pragma once

#include "editors/DialogControls.h"

#include <cstdio>
#include <map>

class CPrintingControls : public IDialogControls {
public:
    CPrintingControls(std::FILE* out, bool showControls) : m_out(out), m_showControls(showControls) {}

    void AppendLine(std::string_view line) override;
    void ScrollToLast() override {}
    void SetControlText(int id, std::string_view text) override;
    void SelectListLine(int id, int index) override;
    void InsertListLine(int id, int index, std::string_view text) override;
    void AddListLine(int id, std::string_view text) override;
    void ReplaceListLine(int id, int index, std::string_view text) override;
    void SetCheck(int id, bool checked) override;
    std::string ControlText(int id) const override;
    void SetTextLimit(int id, int chars) override;
    void FocusDialog() override;

private:
    void ControlLine(int id, std::string_view what, std::string_view value);

    std::FILE* m_out;
    bool m_showControls;
    std::map<int, std::string> m_texts;
    std::map<int, size_t> m_limits;
};
