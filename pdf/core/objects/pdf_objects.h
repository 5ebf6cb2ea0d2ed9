// The PDF object model: the store and all nine kinds of object.
#pragma once

#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_object.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/pdf_structure.h"
