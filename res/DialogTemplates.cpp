#include "res/DialogTemplate.h"
#include "res/resource.h"

#include <array>

extern const DialogTemplate kAboutBoxTemplate;
extern const DialogTemplate kMainDialogTemplate;
extern const DialogTemplate kKeyboardConfigTemplate;
extern const DialogTemplate kAotSetupTemplate;

namespace {

constexpr std::array<int, 4> kTemplateIds = {IDD_ABOUTBOX, IDD_ZM_CONFIG_DIALOG, IDD_KEYBOARD_CONFIG, IDD_AOT_SETUP};

} // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    switch (id) {
    case IDD_ABOUTBOX:
        return &kAboutBoxTemplate;
    case IDD_ZM_CONFIG_DIALOG:
        return &kMainDialogTemplate;
    case IDD_KEYBOARD_CONFIG:
        return &kKeyboardConfigTemplate;
    case IDD_AOT_SETUP:
        return &kAotSetupTemplate;
    default:
        return nullptr;
    }
}

std::span<const int> DialogTemplateIds()
{
    return kTemplateIds;
}
