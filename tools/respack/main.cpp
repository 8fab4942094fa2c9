#include "tools/respack/Respack.h"

int main(int argc, char** argv) { return RunRespack(argc, argv); }
