// The simple kinds of PDF object: null, booleans, numbers, names, strings and indirect
// references.
#pragma once

#include <string>
#include <string_view>

#include "pdf/core/objects/pdf_object.h"

class TPDFNull : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindNull;

 protected:
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  explicit TPDFNull(TPDFStructure* owner) : TPDFObject(owner, kKind) {}
};

class TPDFBoolean : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindBoolean;
  bool Value() const { return value_; }
  void SetValue(bool value) { value_ = value; }

 protected:
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  TPDFBoolean(TPDFStructure* owner, bool value) : TPDFObject(owner, kKind), value_(value) {}
  bool value_;
};

class TPDFNumeric : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindNumeric;
  double Value() const { return value_; }
  double AsDouble() const { return value_; }
  // Rounded, halves to even, and clamped into 32 bits (NaN gives 0).
  int AsInteger() const;
  void SetValue(double value) { value_ = value; }

 protected:
  // The owner's Decimals through FormatPDFNumber.
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  TPDFNumeric(TPDFStructure* owner, double value) : TPDFObject(owner, kKind), value_(value) {}
  double value_;
};

class TPDFName : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindName;
  // The name's bytes without the slash.
  const std::string& Name() const { return name_; }
  void SetName(std::string_view name) { name_ = std::string(name); }
  // Names handed out as dictionary keys by TPDFStructure::GetKeyName are never freed early.
  bool IsKeyName() const { return isKeyName_; }

 protected:
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  TPDFName(TPDFStructure* owner, std::string_view name) : TPDFObject(owner, kKind), name_(name) {}
  std::string name_;
  bool isKeyName_ = false;
};

class TPDFString : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindString;
  // The raw bytes.
  const std::string& Value() const { return value_; }
  void SetValue(std::string_view bytes) { value_ = std::string(bytes); }
  bool IsHex() const { return isHex_; }
  void SetHex(bool hex) { isHex_ = hex; }

 protected:
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  TPDFString(TPDFStructure* owner, std::string_view bytes, bool hex)
      : TPDFObject(owner, kKind), value_(bytes), isHex_(hex) {}
  std::string value_;
  bool isHex_;
};

class TPDFIndRef : public TPDFObject {
 public:
  static constexpr char kKind = kPDFKindIndRef;
  int TargetNumber() const { return targetNumber_; }
  int TargetGeneration() const { return targetGeneration_; }
  void SetTarget(int number, int generation) {
    targetNumber_ = number;
    targetGeneration_ = generation;
  }
  // The object the owner's OnResolve gives for this reference; nullptr without a resolver.
  TPDFObject* Resolve();
  void Renumber(int delta) override;

 protected:
  // "12 0 R"
  void Write(std::string& out, int depth) const override;

 private:
  friend class TPDFStructure;
  TPDFIndRef(TPDFStructure* owner, int number, int generation)
      : TPDFObject(owner, kKind), targetGeneration_(generation), targetNumber_(number) {}
  int targetGeneration_;
  int targetNumber_;
};
