#include "ctl/vantorctl.h"

int main(int argc, char **argv)
{
    return vc::ctl::main(argc, argv);
}
