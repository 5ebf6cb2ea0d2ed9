// The PNG and TIFF predictors that Flate and LZW data may carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/core/filters/output_limit.h"

// A stream's predictor parameters, in the order the decode parameters name them.
struct FlatePredictorParams {
  int Predictor = 0;
  int Colors = 0;
  int BitsPerComponent = 0;
  int Columns = 0;
};

// The PNG Paeth predictor: whichever of left (a), above (b) and upper left (c) is nearest to
// a + b - c, preferring a, then b.
int PaethPredictor(int a, int b, int c);

// True when the parameters describe rows the predictor stage can undo: at least one colour,
// one bit and one column, and for the TIFF predictor samples of 1, 2, 4, 8 or 16 bits.
// Predictor values below 2 need no parameters and are always usable.
bool PredictorParamsUsable(const FlatePredictorParams& params);

// Undoes the predictor on already decompressed data. Predictor below 2 returns the data
// unchanged; 2 is the TIFF predictor; 10 and above are the PNG predictors with a filter tag
// per row, a pixel being its bits rounded up to whole bytes; other values only cut the data
// into whole rows. Unusable parameters give the empty string. The result is at most maxOutput
// bytes (whole rows).
std::string UndoPredictor(std::string_view data, const FlatePredictorParams& params,
                          int64_t maxOutput = kDefaultFilterOutputLimit);
// The same on the data's own memory: decoded rows take the place of the encoded ones.
void UndoPredictorInPlace(std::string& data, const FlatePredictorParams& params,
                          int64_t maxOutput = kDefaultFilterOutputLimit);

// One row of UndoPredictorInPlace: row holds rowBytes decoded bytes (without the PNG tag, which
// comes as pngTag), above the row before it (zeros for the first row). Usable parameters only.
void UndoPredictorRow(const FlatePredictorParams& params, uint8_t pngTag, uint8_t* row, const uint8_t* above,
                      int64_t rowBytes);
