// Velmora: sorts image files by their likeness to a master image.
#include "app/tarnwick1.h"
#include "platform/rtl/standard_streams.h"

int main(int argc, char** argv) {
  OpenMissingStandardStreams();
  return Tarnwick1::RunProgram(argc, argv);
}
