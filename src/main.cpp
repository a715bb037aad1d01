#include "ui/app/startup.h"

int main(int argc, char **argv)
{
    return tivora::runTivora(argc, argv);
}
