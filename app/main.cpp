#include "app/Startup.h"
#include "platform/Application.h"

int main(int argc, char** argv)
{
    CommApplication application(argc, argv);
    return RunCommTerminal();
}
