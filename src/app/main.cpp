#include "app/Zm_configApp.h"

int main(int argc, char* argv[])
{
    CZm_configApp app(argc, argv);
    return app.Run();
}
