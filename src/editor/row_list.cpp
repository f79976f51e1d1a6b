#include "editor/row_list.h"

#include <utility>

#include "platform/sjis.h"

namespace nura {

EStringListError::EStringListError() : ERuntimeError(SJ("リストのインデックスが範囲を超えています")) {}

void TheStringList::CheckIndex(int i) const {
  if (i < 0 || i >= GetCount()) throw EStringListError();
}

TheStringItem& TheStringList::Item(int i) {
  CheckIndex(i);
  return items_[static_cast<size_t>(i)];
}

const TheStringItem& TheStringList::Item(int i) const {
  CheckIndex(i);
  return items_[static_cast<size_t>(i)];
}

void TheStringList::Grow() {
  const int cap = GetCapacity();
  const int delta = cap > 64 ? cap / 4 : cap > 8 ? 16 : 4;
  items_.reserve(static_cast<size_t>(cap + delta));
}

void TheStringList::SetCapacity(int n) {
  if (n > GetCapacity()) items_.reserve(static_cast<size_t>(n));
}

void TheStringList::Put(int i, std::string s) {
  CheckIndex(i);
  Changing();
  items_[static_cast<size_t>(i)].text = std::move(s);
  Changed();
}

int TheStringList::Add(std::string s) {
  const int index = GetCount();
  Insert(index, std::move(s));
  return index;
}

void TheStringList::Insert(int i, std::string s) {
  if (i < 0 || i > GetCount()) throw EStringListError();
  Changing();
  if (items_.size() == items_.capacity()) Grow();
  TheStringItem item;
  item.text = std::move(s);
  items_.insert(items_.begin() + i, std::move(item));
  Changed();
}

void TheStringList::Delete(int i) {
  CheckIndex(i);
  Changing();
  items_.erase(items_.begin() + i);
  Changed();
}

void TheStringList::Exchange(int i, int j) {
  CheckIndex(i);
  CheckIndex(j);
  Changing();
  std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
  Changed();
}

void TheStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<TheStringItem>().swap(items_);
  Changed();
}

void TheStringList::SetUpdateState(bool updating) {
  if (updating) {
    if (updateCount_ == 0) Changing();
    ++updateCount_;
  } else if (updateCount_ > 0) {
    --updateCount_;
    Changed();
  }
}

void TheStringList::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(*this);
}

void TheStringList::Changing() {
  if (updateCount_ == 0 && OnChanging) OnChanging(*this);
}

TRowAttributeData TRowAttributeStringList::GetRowAttributeData(int i) const {
  TRowAttributeData d;
  d.rowKind = static_cast<uint8_t>(GetRowKind(i));
  d.prevRowKind = static_cast<uint8_t>(GetRowFlags2(i));
  d.parseState = GetRowParseState(i);
  d.byteA1 = GetRowByteA1(i);
  d.byteA2 = GetRowByteA2(i);
  d.byteA3 = GetRowByteA3(i);
  d.byteB0 = static_cast<uint8_t>(GetRowByteB0(i));
  d.byteB1 = static_cast<uint8_t>(GetRowByteB1(i));
  d.text = GetSecondString(i);
  return d;
}

void TRowAttributeStringList::SetRowAttributeData(int i, const TRowAttributeData& d) {
  SetRowFlags2(i, d.prevRowKind);
  SetRowParseState(i, d.parseState);
  SetRowByteA1(i, d.byteA1);
  SetRowByteA2(i, d.byteA2);
  SetRowByteA3(i, d.byteA3);
  SetRowByteB0(i, d.byteB0);
  SetRowByteB1(i, d.byteB1);
  SetSecondString(i, d.text);
}

}  // namespace nura
