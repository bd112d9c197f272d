#include "app/Startup.h"

int main(int argc, char** argv)
{
    return kelpora::runKelpora(argc, argv);
}
