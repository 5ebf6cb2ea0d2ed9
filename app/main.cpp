// Velmora: sorts image files by their likeness to a master image.
#include "app/tarnwick1.h"

int main(int argc, char** argv) { return Tarnwick1::RunProgram(argc, argv); }
