#include "app/DisplayGuard.h"
#include "app/Zm_configApp.h"
#include "midi/StandardDescriptors.h"

#include <optional>

int main(int argc, char* argv[])
{
    ReopenClosedStandardDescriptors();
    std::optional<CDisplayGuard> noDisplay(std::in_place);
    CZm_configApp app(argc, argv);
    noDisplay.reset();
    return app.Run();
}
