#include "editor/fountain.h"

#include <algorithm>

#include "editor/editor_text.h"
#include "engine/errors.h"

namespace nura {

const TNameList kFontStyleNames = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

const TPropList& TFountainColor::Properties() const {
  using C = TFountainColor;
  static const TPropList props = {
      OrdProp<C, &C::BkColor, &C::SetBkColor>("BkColor", TPropKind::Color),
      OrdProp<C, &C::Color, &C::SetColor>("Color", TPropKind::Color),
      OrdProp<C, &C::Style, &C::SetStyle>("Style", TPropKind::Set, &kFontStyleNames),
  };
  return props;
}

TFountainColorItem::TFountainColorItem(TNotifyCollection& collection) {
  itemColor_.OnChange = [&collection](TPersistent* sender) { collection.ChangedProc(sender); };
}

const TPropList& TFountainColorItem::Properties() const {
  using C = TFountainColorItem;
  static const TPropList props = {
      ObjProp<C, static_cast<TFountainColor& (C::*)()>(&C::ItemColor)>("ItemColor")};
  return props;
}

void TFountainBracketItem::SetLeftBracket(const std::string& v) { left_ = v; }
void TFountainBracketItem::SetRightBracket(const std::string& v) { right_ = v; }

const TPropList& TFountainBracketItem::Properties() const {
  using C = TFountainBracketItem;
  static const TPropList props = ExtendProps(TFountainColorItem::Properties(),
                                             {StrProp<C, &C::LeftBracket, &C::SetLeftBracket>("LeftBracket"),
                                              StrProp<C, &C::RightBracket, &C::SetRightBracket>("RightBracket")});
  return props;
}

TFountainBracketCollection::TFountainBracketCollection(TFountain* fountain) : TNotifyCollection(fountain) {}

TPersistent& TFountainBracketCollection::Add() {
  if (Count() >= kMaxItems) {
    throw ERuntimeError("TFountainBracketCollection\r\nYou can not add item over " + std::to_string(kMaxItems));
  }
  return TNotifyCollection::Add();
}

TFountainBracketItem& TFountainBracketCollection::AddBracket(const std::string& left, const std::string& right) {
  auto& item = static_cast<TFountainBracketItem&>(Add());
  item.SetLeftBracket(left);
  item.SetRightBracket(right);
  return item;
}

std::unique_ptr<TPersistent> TFountainBracketCollection::CreateItem() {
  return std::make_unique<TFountainBracketItem>(*this);
}

TFileExtComponent::TFileExtComponent() : fileExtList_(CreateFileExtList()) {}

const TPropList& TFileExtComponent::Properties() const {
  using C = TFileExtComponent;
  static const TPropList props = {ListProp<C, &C::FileExtList, &C::SetFileExtList>("FileExtList")};
  return props;
}

TFountain::TFountain()
    : listeners_(std::make_unique<TNotifyEventList>(this)),
      freeListeners_(std::make_unique<TNotifyEventList>(this)),
      brackets_(CreateBrackets()),
      reserve_(CreateFountainColor()) {
  brackets_->OnChange = listeners_->ChangeForwarder();
}

TFountain::~TFountain() { freeListeners_->Changed(); }

void TFountain::ReplaceBrackets(std::unique_ptr<TFountainBracketCollection> brackets) {
  brackets_ = std::move(brackets);
  brackets_->OnChange = listeners_->ChangeForwarder();
}

std::unique_ptr<TFountainColor> TFountain::CreateFountainColor() {
  auto color = std::make_unique<TFountainColor>();
  color->OnChange = listeners_->ChangeForwarder();
  return color;
}

const TPropList& TFountain::Properties() const {
  using C = TFountain;
  static const TPropList props = {
      ObjProp<C, static_cast<TFountainBracketCollection& (C::*)()>(&C::Brackets)>("Brackets", TPropKind::Collection),
      ListProp<C, &C::FileExtList, &C::SetFileExtList>("FileExtList"),
      ObjProp<C, &C::Reserve>("Reserve"),
      ListProp<C, &C::ReserveWordList, &C::SetReserveWordList>("ReserveWordList"),
  };
  return props;
}

void TFountain::SetReserveWordList(const std::vector<std::string>& words) {
  reserveWordList_.Assign(words);
  listeners_->Changed();
}

std::unique_ptr<TFountainParser> TFountain::CreateParser() const { return std::make_unique<TFountainParser>(this); }

bool TFountain::HasItalicStyle() {
  bool italic = false;
  WalkPublishedProperties(*this, [&](TPersistent&, const TPropInfo&, TPersistent* value) {
    if (const auto* c = dynamic_cast<const TFountainColor*>(value)) italic = italic || (c->Style() & fsItalic);
  });
  return italic;
}

void TFountain::SetAllColors(TPersistent& colorSet, const TFountainColor& color, int flags) {
  WalkPublishedProperties(colorSet, [&](TPersistent&, const TPropInfo& prop, TPersistent* value) {
    if (auto* c = dynamic_cast<TFountainColor*>(value)) ColorSetter(prop.name, *c, color, flags);
  });
}

void TFountain::ColorSetter(std::string_view, TFountainColor& target, const TFountainColor& color, int flags) {
  if (flags & 1) target.SetBkColor(color.BkColor());
  if (flags & 2) target.SetColor(color.Color());
  if (flags & 4) target.SetStyle(color.Style());
}

// ---------------------------------------------------------------- parser

TFountainParser::TFountainParser(const TFountain* fountain) : fountain_(fountain) {
  if (!fountain_) throw ERuntimeError("TFountainParser.Create need instance of TFountain");
  TFountainParser::InitMethodTable();
}

void TFountainParser::InitMethodTable() {
  for (int c = 0; c < 256; ++c) {
    TScanMethod m = &TFountainParser::ScanSymbol;
    if (c == 0) m = &TFountainParser::ScanNull;
    else if (c == 9) m = &TFountainParser::ScanTab;
    else if (c == 10) m = &TFountainParser::ScanLF;
    else if (c == 13) m = &TFountainParser::ScanCR;
    else if (c >= '0' && c <= '9') m = &TFountainParser::ScanNumber;
    else if ((c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z')) m = &TFountainParser::ScanAnk;
    else if (c == 0x81 || (c >= 0x84 && c <= 0x87)) m = &TFountainParser::ScanDbSymbol;
    else if (c == 0x82 || c == 0x83) m = &TFountainParser::ScanDbAlphaKana;
    else if ((c >= 0x88 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) m = &TFountainParser::ScanKanji;
    else if (c >= 0xA1 && c <= 0xA5) m = &TFountainParser::ScanKanaSymbol;
    else if (c >= 0xA6 && c <= 0xDF) m = &TFountainParser::ScanKana;
    charTable_[static_cast<size_t>(c)] = m;
  }
  continueTable_.fill(&TFountainParser::ScanSymbol);
  auto cont = [&](int kind, TScanMethod m) { continueTable_[static_cast<size_t>(kind)] = m; };
  cont(toInteger, &TFountainParser::ScanNumber);
  cont(toFloat, &TFountainParser::ScanNumber);
  cont(toBracket, &TFountainParser::ScanBracket);
  cont(toComment, &TFountainParser::ScanComment);
  cont(toReserve, &TFountainParser::ScanReserve);
  cont(toAnk, &TFountainParser::ScanAnk);
  cont(toDBSymbol, &TFountainParser::ScanDbSymbol);
  for (int k = toDBInt; k <= toDBKana; ++k) cont(k, &TFountainParser::ScanDbAlphaKana);
  cont(toDBKanji, &TFountainParser::ScanKanji);
  cont(toKanaSymbol, &TFountainParser::ScanKanaSymbol);
  cont(toKana, &TFountainParser::ScanKana);
  cont(toUrl, &TFountainParser::ScanUrl);
  cont(toMail, &TFountainParser::ScanMail);
  cont(toHex, &TFountainParser::ScanHex);
  cont(toSingleQuotation, &TFountainParser::ScanSingleQuote);
  cont(toDoubleQuotation, &TFountainParser::ScanDoubleQuote);
}

void TFountainParser::PassChar() { pos_ += EditorCharLength(text_, pos_); }

const TFountainBracketItem* TFountainParser::UsableBracket(int i) const {
  const auto& brackets = fountain_->Brackets();
  if (i < 0 || i >= brackets.Count()) return nullptr;
  const TFountainBracketItem& item = brackets.Bracket(i);
  return item.LeftBracket().empty() || item.RightBracket().empty() ? nullptr : &item;
}

void TFountainParser::SkipBlanks() {
  PassWhile([](unsigned char c) { return (c >= 1 && c <= 8) || (c >= 10 && c <= 32); });
}

bool TFountainParser::IsReserveWord() const {
  if (continuing_ || token_ == toEof || token_ == toBracket || token_ == toComment) return false;
  return fountain_->ReserveWords().Find(TokenString());
}

bool TFountainParser::IsBracketStart() {
  for (int i = 0; i < fountain_->Brackets().Count(); ++i) {
    const TFountainBracketItem* item = UsableBracket(i);
    if (item && StartsWith(item->LeftBracket())) {
      openBracket_ = i;
      pos_ += item->LeftBracket().size();
      return true;
    }
  }
  return false;
}

void TFountainParser::ScanBracket() {
  const TFountainBracketItem* item = UsableBracket(openBracket_);
  if (!item) {
    token_ = toEof;
    return;
  }
  token_ = toBracket;
  tokenBracket_ = openBracket_;
  const std::string& right = item->RightBracket();
  while (!AtEnd()) {
    if (StartsWith(right)) {
      pos_ += right.size();
      openBracket_ = -1;
      return;
    }
    PassChar();
  }
}

namespace {

bool IsMailChar(unsigned char c) {
  return c == '!' || (c >= '$' && c <= '&') || c == '*' || (c >= ',' && c <= '9') || c == ';' ||
         c == '=' || (c >= '?' && c <= 'Z') || c == '^' || c == '_' || (c >= 'a' && c <= 'z') || c == '~';
}

bool IsUrlChar(unsigned char c) {
  return c == '#' || c == '%' || c == '&' || c == '+' || (c >= '-' && c <= ':') || c == '=' || c == '?' ||
         (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || c == '~';
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(unsigned char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsAnkChar(unsigned char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

}  // namespace

bool TFountainParser::IsMailStart() {
  if (!IsMailChar(Cur()) || Cur() == '@') return false;
  bool at = false;
  for (size_t i = pos_; i < text_.size() && IsMailChar(Byte(i)); ++i) {
    if (Byte(i) == '@') at = true;
    else if (Byte(i) == '.' && at) {
      pos_ = i + 1;
      return true;
    }
  }
  return false;
}

void TFountainParser::ScanMail() {
  token_ = toMail;
  PassWhile(IsMailChar);
}

bool TFountainParser::IsUrlStart() {
  for (std::string_view prefix : {"ftp:", "http:", "https:", "www."}) {
    if (StartsWith(prefix)) {
      pos_ += prefix.size();
      return true;
    }
  }
  return false;
}

void TFountainParser::ScanUrl() {
  token_ = toUrl;
  PassWhile(IsUrlChar);
}

void TFountainParser::ScanReserve() {
  (this->*charTable_[Cur()])();
  token_ = toReserve;
}

void TFountainParser::ScanNull() { token_ = toEof; }

void TFountainParser::ScanTab() {
  token_ = toTab;
  ++pos_;
}

void TFountainParser::ScanLF() {
  token_ = toEof;
  ++pos_;
}

void TFountainParser::ScanCR() {
  token_ = toEof;
  ++pos_;
  if (Cur() == '\n') ++pos_;
}

void TFountainParser::ScanComment() {
  token_ = toComment;
  pos_ = text_.size();
}

void TFountainParser::ScanHex() {
  token_ = toHex;
  PassWhile(IsHexDigit);
}

void TFountainParser::ScanExponent() {
  if (Cur() == '+' || Cur() == '-') ++pos_;
  PassWhile(IsDigit);
}

void TFountainParser::ScanNumber() {
  token_ = toInteger;
  PassWhile(IsDigit);
  const unsigned char c = Cur();
  if (c == '.') {
    const unsigned char next = Byte(pos_ + 1);
    if (IsDigit(next)) {
      token_ = toFloat;
      ++pos_;
      PassWhile(IsDigit);
      if (Cur() == 'E' || Cur() == 'e') {
        ++pos_;
        ScanExponent();
      }
    } else if (next == 'E' || next == 'e') {
      token_ = toFloat;
      pos_ += 2;
      ScanExponent();
    }
  } else if (c == 'E' || c == 'e') {
    token_ = toFloat;
    ++pos_;
    ScanExponent();
  }
}

void TFountainParser::ScanAnk() {
  token_ = toAnk;
  PassWhile(IsAnkChar);
}

void TFountainParser::ScanDbSymbol() {
  token_ = toDBSymbol;
  PassChar();
}

void TFountainParser::ScanDbAlphaKana() {
  const unsigned char lead = Cur(), trail = Byte(pos_ + 1);
  // Passes two-byte characters while `member(lead, trail)` holds.
  auto passRun = [&](int kind, auto member) {
    token_ = kind;
    while (!AtEnd() && EditorCharLength(text_, pos_) == 2 && member(Cur(), Byte(pos_ + 1))) pos_ += 2;
  };
  auto isLongSign = [](unsigned char l, unsigned char t) { return l == 0x81 && (t == 0x5B || t == 0x7C); };
  if (EditorCharLength(text_, pos_) != 2) {
    token_ = toSymbol;
    ++pos_;
    return;
  }
  if (lead == 0x82 && trail >= 0x4F && trail <= 0x58) {
    passRun(toDBInt, [](unsigned char l, unsigned char t) {
      return (l == 0x82 && t >= 0x4F && t <= 0x58) || (l == 0x81 && (t == 0x43 || t == 0x44));
    });
  } else if (lead == 0x82 && ((trail >= 0x60 && trail <= 0x79) || (trail >= 0x81 && trail <= 0x9A))) {
    passRun(toDBAlph, [](unsigned char l, unsigned char t) {
      return l == 0x82 && ((t >= 0x60 && t <= 0x79) || (t >= 0x81 && t <= 0x9A));
    });
  } else if (lead == 0x82 && trail >= 0x9F && trail <= 0xF1) {
    passRun(toDBHira, [&](unsigned char l, unsigned char t) {
      return (l == 0x82 && t >= 0x9F && t <= 0xF1) || isLongSign(l, t);
    });
  } else if (lead == 0x83 && trail >= 0x40 && trail <= 0x96) {
    passRun(toDBKana, [&](unsigned char l, unsigned char t) {
      return (l == 0x83 && t >= 0x40 && t <= 0x96) || isLongSign(l, t);
    });
  } else if ((lead == 0x82 && trail >= 0x40) || (lead == 0x83 && trail >= 0x97 && trail <= 0xF0)) {
    token_ = toDBSymbol;
    pos_ += 2;
  } else if (lead == 0x81 || (lead >= 0x84 && lead <= 0x87)) {
    ScanDbSymbol();  // a carried run that resumes on a symbol
  } else {
    token_ = toSymbol;
    ++pos_;
  }
}

void TFountainParser::ScanKanji() {
  token_ = toDBKanji;
  while (!AtEnd() && ((Cur() >= 0x88 && Cur() <= 0x9F) || (Cur() >= 0xE0 && Cur() <= 0xFC))) {
    ++pos_;
    if (Byte(pos_) > 0x3F) ++pos_;
  }
  if (pos_ == tokenStart_) ScanSymbol();  // resumed on a byte that is no kanji lead
}

void TFountainParser::ScanKanaSymbol() {
  token_ = toKanaSymbol;
  ++pos_;
}

void TFountainParser::ScanKana() {
  token_ = toKana;
  PassWhile([](unsigned char c) { return c >= 0xA6 && c <= 0xDF; });
  if (pos_ == tokenStart_) ScanSymbol();
}

void TFountainParser::ScanSymbol() {
  token_ = toSymbol;
  ++pos_;
}

void TFountainParser::ScanQuoted(char quote, int kind) {
  token_ = kind;
  if (!continuing_ && Cur() == static_cast<unsigned char>(quote)) ++pos_;
  while (!AtEnd()) {
    if (text_[pos_] == quote) {
      ++pos_;
      if (Cur() != static_cast<unsigned char>(quote)) return;
      ++pos_;  // a doubled quote is part of the string
      continue;
    }
    PassChar();
  }
}

void TFountainParser::ScanSingleQuote() { ScanQuoted('\'', toSingleQuotation); }
void TFountainParser::ScanDoubleQuote() { ScanQuoted('"', toDoubleQuotation); }

void TFountainParser::ContinueToken() {
  if (carriedBytes_ > 0) {
    token_ = carriedKind_;
    pos_ = std::min(pos_ + static_cast<size_t>(carriedBytes_), text_.size());
    if (carriedKind_ == toBracket) {
      tokenBracket_ = openBracket_;
      openBracket_ = -1;
    }
  } else {
    (this->*continueTable_[static_cast<size_t>(carriedKind_)])();
  }
  carriedKind_ = 0;
  carriedBytes_ = 0;
}

void TFountainParser::DispatchToken() {
  if (openBracket_ == -1 && IsBracketStart()) {
    ScanBracket();
    return;
  }
  (this->*charTable_[Cur()])();
}

void TFountainParser::UpgradeReserved() {
  if (IsReserveWord()) token_ = toReserve;
}

bool TFountainParser::IsCountedKind(int kind) const {
  return kind == toComment || kind == toSingleQuotation || kind == toDoubleQuotation;
}

int TFountainParser::NextToken() {
  SkipBlanks();
  tokenStart_ = pos_;
  continuing_ = carriedKind_ != 0;
  if (AtEnd()) {
    token_ = toEof;
    return token_;
  }
  // A carried bracket that no longer exists (the brackets changed).
  if (openBracket_ != -1 && !UsableBracket(openBracket_)) openBracket_ = -1;
  if (carriedKind_ != 0) ContinueToken();
  else if (openBracket_ == -1) DispatchToken();
  else ScanBracket();
  return token_;
}

void TFountainParser::SetText(std::string_view text, const TRowAttributeData& state) {
  text_ = text;
  pos_ = tokenStart_ = 0;
  token_ = toEof;
  rowKind_ = state.rowKind;
  prevRowKind_ = state.prevRowKind;
  openBracket_ = state.parseState;
  tokenBracket_ = -1;
  carriedKind_ = state.byteA1;
  carriedBytes_ = state.byteA2;
  byteA3_ = state.byteA3;
  byteB0_ = state.byteB0;
  byteB1_ = state.byteB1;
  carriedText_ = state.text;
}

void TFountainParser::ParseRow(int row, const TRowAttributeStringList& list, TRowAttributeData& state) {
  const int kind = list.GetRowKind(row);
  const std::string& rowText = list.Get(row);
  if (IsWholeRowKind(state.byteA1)) {
    if (kind != kRowWrapped) state.byteA1 = 0;
    state.byteA2 = 0;
    return;
  }
  if (rowText.find_first_not_of(' ') == std::string::npos) return;
  std::string joined;
  std::string_view text = rowText;
  const bool nextExists = kind == kRowWrapped && row + 1 < list.GetCount();
  if (nextExists) {
    joined = rowText + list.Get(row + 1);
    text = joined;
  }
  const size_t rowEnd = rowText.size();
  SetText(text, state);
  size_t lastStart = rowEnd, lastEnd = rowEnd;
  int lastKind = toEof;
  while (NextToken() != toEof) {
    lastStart = tokenStart_;
    lastEnd = pos_;
    lastKind = token_;
    if (pos_ > rowEnd) break;
    state.parseState = openBracket_;
  }
  state.byteA1 = 0;
  state.byteA2 = 0;
  if (lastKind == toEof || lastEnd <= rowEnd) return;  // every token ended inside the row
  if (lastStart >= rowEnd) {
    state.parseState = -1;
    return;
  }
  const int spill = static_cast<int>(std::min<size_t>(lastEnd - rowEnd, 255));
  if (lastKind == toBracket) {
    state.parseState = tokenBracket_;
    const TFountainBracketItem* item = UsableBracket(tokenBracket_);
    if (openBracket_ == -1 && item && static_cast<size_t>(spill) < item->RightBracket().size()) {
      state.byteA1 = toBracket;
      state.byteA2 = static_cast<uint8_t>(spill);
    }
    return;
  }
  state.parseState = openBracket_;
  UpgradeReserved();
  state.byteA1 = token_;
  const bool nextWrapped = row + 1 < list.GetCount() && list.GetRowKind(row + 1) == kRowWrapped;
  if (!IsCountedKind(token_) && !(lastEnd >= text.size() && nextWrapped)) state.byteA2 = spill;
}

}  // namespace nura
