// Dialog 100: the About box.
#include "res/DialogTemplate.h"
#include "res/resource.h"
#include "zm/Version.h"

namespace {

// The bitmap static sizes itself to the picture (w = h = 0), as a bitmap
// control does.
constexpr ControlTemplate kControls[] = {
    {IDC_ABOUT_BITMAP, ControlKind::Bitmap, "", 7, 7, 0, 0, kStyleNone, IDB_ABOUT_BITMAP, "zm_config logo"},
    {IDC_ABOUT_VERSION, ControlKind::Static, "zm_config Version " ZM_VERSION_SHORT, 40, 10, 119, 8, kStyleNone},
    {IDOK, ControlKind::DefPushButton, "OK", 178, 7, 50, 14, kStyleNone},
};

} // namespace

extern const DialogTemplate kAboutBoxTemplate = {
    IDD_ABOUTBOX, "About zm_config", 235, 55, "MS Sans Serif", 8, kControls,
};
