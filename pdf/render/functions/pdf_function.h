// PDF functions: m input numbers to n output numbers. Tint transforms of Separation and
// DeviceN spaces, shadings and soft masks evaluate them. One class per function type:
// sampled (0), exponential (2), stitching (3) and the PostScript calculator (4).
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/render/functions/pdf_resolve.h"
#include "platform/rtl/exceptions.h"

class TPDFDictionary;
class TPDFObject;

// Raised by an evaluation that cannot go on (division by zero, calculator stack overflow);
// it ends the evaluation and reaches the caller.
class EPDFFunctionError : public Exception {
  using Exception::Exception;
};

// y0 + (x - x0) (y1 - y0) / (x1 - x0); y0 when x1 = x0.
double Interpolate(double x, double x0, double x1, double y0, double y1);

class TPDFFunction {
 public:
  // Keeps the dictionary (a stream's dictionary for a stream) and, for a stream, its decoded
  // contents; reads "Domain" and "Range".
  TPDFFunction(TPDFObject* obj, TPDFResolveMethod resolver);
  virtual ~TPDFFunction() = default;
  TPDFFunction(const TPDFFunction&) = delete;
  TPDFFunction& operator=(const TPDFFunction&) = delete;

  // Sets outputs to the function's value at inputs (missing inputs count as 0). Type 3 leaves
  // the outputs to the subfunction it chooses, and alone when it chooses none.
  virtual void Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) = 0;

  TPDFDictionary* Dictionary = nullptr;
  std::string Program;  // decoded stream contents: samples (type 0) or program text (type 4)
  std::vector<double> Domain;
  std::vector<double> Range;
  int32_t InputCount = 0;
  int32_t OutputCount = 0;
  // The number of samples a shading takes along its axis (see ShadingSampleCount).
  int32_t Complexity = 2;
  TPDFResolveMethod Resolver;

 protected:
  TPDFObject* Resolve(TPDFObject* obj) const { return ResolvePDFObject(Resolver, obj); }
  // The numbers of an array entry (a non-number item counts as 0); empty when the entry is
  // missing or not an array.
  std::vector<double> ReadNumbers(std::string_view key) const;
  double ReadNumber(std::string_view key, double def) const;
};

class TPDFType0Function : public TPDFFunction {
 public:
  // Inputs beyond this many that fall between samples take their nearer sample.
  static constexpr size_t kMaxInterpolatedInputs = 8;

  TPDFType0Function(TPDFObject* obj, TPDFResolveMethod resolver);
  void Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) override;

  std::vector<double> Size;
  int32_t BitsPerSample = 0;
  // Read, not used: cubic (3) tables are interpolated linearly too, as readers commonly do.
  int32_t Order = 1;
  std::vector<double> Encode;
  std::vector<double> Decode;

 private:
  // The index of a corner past 64 bits: it reads 0.
  static constexpr uint64_t kBeyond = std::numeric_limits<uint64_t>::max();

  uint32_t ReadSample(uint64_t& bitOffset) const;
  // Each output's samples at the first corners of weights_ and indexes_, each times its
  // corner's weight, summed into mixed (one entry per output, 0 before). Uses up indexes_.
  void MixSamples(size_t corners, std::vector<double>& mixed);

  // Per input: the sample below the encoded value, the step to the next sample in the flat
  // table (0 past the table's last sample, or beyond 64 bits) and the weight of that next one.
  struct TAxis {
    uint64_t low = 0;
    uint64_t stride = 0;
    double weight = 0;
  };

  // The inputs' axes, the inputs that fall between samples, and the weight and index of each
  // corner of the point's cell: kept between evaluations to spare their allocation.
  std::vector<TAxis> axes_;
  std::vector<size_t> between_;
  std::vector<double> weights_;
  std::vector<uint64_t> indexes_;
};

class TPDFType2Function : public TPDFFunction {
 public:
  TPDFType2Function(TPDFObject* obj, TPDFResolveMethod resolver);
  void Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) override;

  std::vector<double> C0{0.0};
  std::vector<double> C1{1.0};
  double N = 1.0;
};

struct TPDFFunctionBuild;

class TPDFType3Function : public TPDFFunction {
 public:
  TPDFType3Function(TPDFObject* obj, TPDFResolveMethod resolver, TPDFFunctionBuild& build);
  void Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) override;

  std::vector<double> Bounds;  // the domain's upper end appended
  std::vector<double> Encode{0.0, 1.0};
  std::vector<std::unique_ptr<TPDFFunction>> Functions;  // an entry may be empty
};

class TPDFType4Function : public TPDFFunction {
 public:
  // The calculator stack holds at most this many entries; a push beyond raises.
  static constexpr size_t kStackLimit = 100;

  TPDFType4Function(TPDFObject* obj, TPDFResolveMethod resolver);
  void Evaluate(const std::vector<double>& inputs, std::vector<double>& outputs) override;

  std::vector<double> Stack;  // empty between evaluations

 private:
  struct TRun;
  void Execute(TRun& run, std::string_view op);
  void Push(double v, bool boolean = false);
  double Pop();
  int32_t PopInteger();
  // Whether the top entry (the one popped next) is a boolean: "not", "and", "or" and "xor"
  // are logical on booleans and bitwise on integers.
  bool TopIsBoolean() const { return !booleans_.empty() && booleans_.back() != 0; }

  std::vector<uint8_t> booleans_;     // beside Stack: 1 where the entry is a boolean

  std::vector<std::string> tokens_;  // the program, "{" and "}" as tokens of their own
};

// A new function for a dictionary or stream object, by its "FunctionType"; nullptr for any
// other type, a non-number, or an object that is neither. Stitching functions that list
// themselves (directly or further down) get no subfunction there, and the number of
// functions one call builds and their nesting are bounded.
std::unique_ptr<TPDFFunction> CreatePDFFunction(TPDFObject* obj, const TPDFResolveMethod& resolver);

// The samples a shading takes of the function along its axis: its complexity, kept within
// 2..256 so that a sampled function of enormous size cannot make a shading unbounded.
int32_t ShadingSampleCount(const TPDFFunction& function);
