// The main dialog's text members that are bound to its edit controls.
//
// Transfer() writes them into the controls in binding order; where two
// members are bound to the same control the later one wins, which is why
// 1021 ends up showing the third layout text and 1019 is left empty by the
// zone rows. ReadBack() is the opposite direction, run when "OK" ends the
// dialog. Window thread only.
#pragma once

#include "editors/DialogControls.h"

#include <array>
#include <string>

class CBoundTexts {
public:
    //! Writes every bound member into its control, in binding order.
    void Transfer(IDialogControls& controls) const;

    //! Reads every bound control back into its member, in binding order.
    void ReadBack(const IDialogControls& controls);

    //! Records `text` as what control `id` shows: the member that a transfer
    //! writes last into that control takes it. Unbound ids are ignored.
    void Remember(int id, std::string_view text);

    std::string XtableData;                                     //!< edit 1009
    std::array<std::string, 4> LayoutTexts = {"88", "21", "88", "36"};  //!< 1021, 1019, 1021, 1022
    std::string Identification;                                 //!< edit 1025
    std::array<std::string, 4> KeyRanges;                       //!< zone key range edits
    std::array<std::string, 4> LowestNotes;                     //!< zone lowest note edits

private:
    template <typename Visit>
    static void ForEachBinding(Visit&& visit, auto& self);
};
