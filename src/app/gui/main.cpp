#include "app/gui/AppMain.h"

int main(int argc, char* argv[])
{
    return RunApplication(argc, argv);
}
