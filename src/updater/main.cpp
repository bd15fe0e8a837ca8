#include "updater/updater.h"

int main(int argc, char **argv)
{
    return vc::runUpdater(argc, argv);
}
