#include "editors/BoundTexts.h"

#include "res/resource.h"

template <typename Visit>
void CBoundTexts::ForEachBinding(Visit&& visit, auto& self)
{
    visit(IDC_XTABLE_DATA, self.XtableData);
    visit(IDC_NUMBER_KEYS, self.LayoutTexts[0]);
    visit(kZoneLowestNote[0], self.LayoutTexts[1]);
    visit(IDC_NUMBER_KEYS, self.LayoutTexts[2]);
    visit(IDC_LOW_NOTE_KEY2, self.LayoutTexts[3]);
    visit(IDC_IDENTIFICATION, self.Identification);
    for (size_t zone = 0; zone < 4; ++zone)
        visit(kZoneKeyRange[zone], self.KeyRanges[zone]);
    for (size_t zone = 0; zone < 4; ++zone)
        visit(kZoneLowestNote[zone], self.LowestNotes[zone]);
}

void CBoundTexts::Transfer(IDialogControls& controls) const
{
    ForEachBinding([&](int id, const std::string& text) { controls.SetControlText(id, text); }, *this);
}

void CBoundTexts::ReadBack(const IDialogControls& controls)
{
    ForEachBinding([&](int id, std::string& text) { text = controls.ControlText(id); }, *this);
}

void CBoundTexts::Remember(int id, std::string_view text)
{
    std::string* last = nullptr;
    ForEachBinding([&](int boundId, std::string& member) {
        if (boundId == id)
            last = &member;
    }, *this);
    if (last)
        last->assign(text);
}
