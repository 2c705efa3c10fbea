#include "res/DialogTemplate.h"
#include "res/resource.h"

extern const DialogTemplate kAboutBoxTemplate;
extern const DialogTemplate kMainDialogTemplate;

const DialogTemplate* FindDialogTemplate(int id)
{
    switch (id) {
    case IDD_ABOUTBOX:
        return &kAboutBoxTemplate;
    case IDD_ZM_CONFIG_DIALOG:
        return &kMainDialogTemplate;
    default:
        return nullptr;
    }
}
