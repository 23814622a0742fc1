// The standard engine: the whole process handed to Varnholt.
#include "varnholt/process/process.h"

int main(int argc, char** argv)
{
    return varnholt::run(argc, argv);
}
