#include "platform/Version.h"

#include <cstdio>

int main(int argc, char** argv)
{
    std::printf("Vexa %s\n", VEXA_VERSION);
    return 0;
}
