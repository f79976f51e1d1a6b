// The editor's row list: a string list whose items carry, besides the row
// text, a second string, an integer and two 32-bit attribute words, and the
// bit fields packed into those words (row kind, the syntax parser's state at
// the start of the row, the row marks).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/errors.h"

namespace nura {

// An index outside the list.
class EStringListError : public ERuntimeError {
 public:
  EStringListError();
};

struct TheStringItem {
  std::string text;
  std::string secondString;  // parser state text of the row
  int32_t data = 0;
  uint32_t attrA = 0;
  uint32_t attrB = 0;
};

class TheStringList {
 public:
  using TListEvent = std::function<void(TheStringList&)>;

  TheStringList() = default;
  TheStringList(const TheStringList&) = delete;
  TheStringList& operator=(const TheStringList&) = delete;
  virtual ~TheStringList() = default;

  const std::string& Get(int i) const { return Item(i).text; }
  void Put(int i, std::string s);
  int Add(std::string s);
  void Insert(int i, std::string s);
  void Delete(int i);
  void Exchange(int i, int j);
  virtual void Clear();

  int GetCount() const { return static_cast<int>(items_.size()); }
  int GetCapacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int n);

  // Nested updates: entering fires Changing, leaving fires Changed (each
  // only at the outermost level).
  void SetUpdateState(bool updating);
  void BeginUpdate() { SetUpdateState(true); }
  void EndUpdate() { SetUpdateState(false); }
  bool Updating() const { return updateCount_ > 0; }

  int32_t GetItemData(int i) const { return Item(i).data; }
  void SetItemData(int i, int32_t v) { Item(i).data = v; }
  const std::string& GetSecondString(int i) const { return Item(i).secondString; }
  void SetSecondString(int i, std::string s) { Item(i).secondString = std::move(s); }
  uint32_t GetAttrA(int i) const { return Item(i).attrA; }
  void SetAttrA(int i, uint32_t v) { Item(i).attrA = v; }
  uint32_t GetAttrB(int i) const { return Item(i).attrB; }
  void SetAttrB(int i, uint32_t v) { Item(i).attrB = v; }

  TListEvent OnChange;
  TListEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();

  TheStringItem& Item(int i);
  const TheStringItem& Item(int i) const;
  void CheckIndex(int i) const;
  void Grow();

  std::vector<TheStringItem> items_;

 private:
  int updateCount_ = 0;
};

// A row's parser state as it travels between the row list and the parser.
struct TRowAttributeData {
  uint8_t rowKind = 0;
  uint8_t prevRowKind = 0;
  int parseState = -1;
  int byteA1 = 0, byteA2 = 0, byteA3 = 0;
  uint8_t byteB0 = 0, byteB1 = 0;
  std::string text;
  bool operator==(const TRowAttributeData&) const = default;
};

// Row kinds (bits 0-1 of attribute word A).
enum : int { kRowEndsLine = 0, kRowWrapped = 1, kRowEndOfFile = 2 };

class TRowAttributeStringList : public TheStringList {
 public:
  int GetRowKind(int i) const { return Field(GetAttrA(i), 0, 2); }
  void SetRowKind(int i, int v) { SetFieldA(i, 0, 2, v); }
  int GetRowFlags2(int i) const { return Field(GetAttrA(i), 2, 2); }
  void SetRowFlags2(int i, int v) { SetFieldA(i, 2, 2, v); }
  // Stored as value + 2, so -2 (not yet parsed) .. 13.
  int GetRowParseState(int i) const { return Field(GetAttrA(i), 4, 4) - 2; }
  void SetRowParseState(int i, int v) { SetFieldA(i, 4, 4, v + 2); }
  int GetRowByteA1(int i) const { return Field(GetAttrA(i), 8, 8); }
  void SetRowByteA1(int i, int v) { SetFieldA(i, 8, 8, v); }
  int GetRowByteA2(int i) const { return Field(GetAttrA(i), 16, 8); }
  void SetRowByteA2(int i, int v) { SetFieldA(i, 16, 8, v); }
  int GetRowByteA3(int i) const { return Field(GetAttrA(i), 24, 8); }
  void SetRowByteA3(int i, int v) { SetFieldA(i, 24, 8, v); }
  int GetRowByteB0(int i) const { return Field(GetAttrB(i), 0, 8); }
  void SetRowByteB0(int i, int v) { SetFieldB(i, 0, 8, v); }
  int GetRowByteB1(int i) const { return Field(GetAttrB(i), 8, 8); }
  void SetRowByteB1(int i, int v) { SetFieldB(i, 8, 8, v); }
  // The row marks: bit m set means mark m stands on the row.
  int GetRowWordB(int i) const { return Field(GetAttrB(i), 16, 16); }
  void SetRowWordB(int i, int v) { SetFieldB(i, 16, 16, v); }

  // The whole parser state of a row (the row's own kind included).
  TRowAttributeData GetRowAttributeData(int i) const;
  // Stores the state fields; the row kind and the marks stay.
  void SetRowAttributeData(int i, const TRowAttributeData& data);

 private:
  static int Field(uint32_t word, int shift, int width) {
    return static_cast<int>((word >> shift) & ((1u << width) - 1));
  }
  static uint32_t WithField(uint32_t word, int shift, int width, int v) {
    const uint32_t mask = ((1u << width) - 1) << shift;
    return (word & ~mask) | ((static_cast<uint32_t>(v) << shift) & mask);
  }
  void SetFieldA(int i, int shift, int width, int v) { SetAttrA(i, WithField(GetAttrA(i), shift, width, v)); }
  void SetFieldB(int i, int shift, int width, int v) { SetAttrB(i, WithField(GetAttrB(i), shift, width, v)); }
};

}  // namespace nura
