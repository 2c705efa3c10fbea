// The dialog stand-in of zmctl decode: prints each message-window line and,
// on request, each control write in the forms "@ID text TEXT",
// "@ID select INDEX", "@ID check 0|1", "@ID limit CHARS", "@dialog focus",
// in call order.
//
// The text is collected during a decoder pass and written by Drain() after
// it, so that a failing output (which throws) never interrupts the decoder
// halfway through a pass.
#pragma once

#include "Output.h"
#include "editors/DialogControls.h"

#include <map>
#include <string>

class CPrintingControls : public IDialogControls {
public:
    CPrintingControls(COutput& out, bool showControls) : m_out(out), m_showControls(showControls) {}

    void AppendLine(std::string_view line) override;
    void ScrollToLast() override {}
    void SetControlText(int id, std::string_view text) override;
    void SelectListLine(int id, int index) override;
    void InsertListLine(int id, int index, std::string_view text) override;
    void AddListLine(int id, std::string_view text) override;
    void ReplaceListLine(int id, int index, std::string_view text) override;
    void SetCheck(int id, bool checked) override;
    void SetTextLimit(int id, int chars) override;
    void FocusDialog() override;
    std::string ControlText(int id) const override;

    //! Writes what the passes so far produced (throws on a failed write).
    void Drain();
    //! Drain(), then hands it on at once.
    void Flush();

private:
    void ControlLine(int id, std::string_view what, std::string_view value);

    COutput& m_out;
    bool m_showControls;
    std::string m_pending;
    std::map<int, std::string> m_texts;
    std::map<int, size_t> m_limits;
};
