#include "res/Strings.h"
#include "res/resource.h"

std::string_view LoadResString(int id)
{
    switch (id) {
    case IDS_OLE_INIT_FAILED:
        return "OLE initialization failed.  Make sure that the OLE libraries are the correct version.";
    case IDS_ABOUTBOX:
        return "&About zm_config...";
    default:
        return {};
    }
}
