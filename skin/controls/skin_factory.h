// Makes a control wrapper of the class discovery chose, by its class name; nullptr for a
// class this build does not draw (the control keeps its native look).
#pragma once

#include <memory>

#include "skin/controls/skin_control.h"

std::unique_ptr<TSkinControl> CreateSkinner(const char* className, int mode);
