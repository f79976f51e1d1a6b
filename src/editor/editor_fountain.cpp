#include "editor/editor_fountain.h"

#include "editor/editor_text.h"

namespace nura {

TEditorColors::TEditorColors(TEditorFountain& fountain) : fountain_(fountain) {
  for (TEditorColor& c : colors_) c.OnChange = ChangeForwarder();
  Select().SetBkColor(clNavy);
  Select().SetColor(clWhite);
}

TFountainColor& TEditorColors::Reserve() { return fountain_.Reserve(); }

const TPropList& TEditorColors::Properties() const {
  using C = TEditorColors;
  static const TPropList props = {
      ObjProp<C, &C::Ank>("Ank"),         ObjProp<C, &C::Comment>("Comment"), ObjProp<C, &C::DBCS>("DBCS"),
      ObjProp<C, &C::Hit>("Hit"),         ObjProp<C, &C::Int>("Int"),         ObjProp<C, &C::Mail>("Mail"),
      ObjProp<C, &C::Reserve>("Reserve"), ObjProp<C, &C::Select>("Select"),   ObjProp<C, &C::Str>("Str"),
      ObjProp<C, &C::Symbol>("Symbol"),   ObjProp<C, &C::Url>("Url"),
  };
  return props;
}

void TEditorColors::Assign(const TPersistent& source) {
  // The reserved-word colour notifies the fountain directly: one update of
  // the listeners keeps the whole copy to one change.
  TNotifyEventList& listeners = fountain_.NotifyEventList();
  listeners.BeginUpdate();
  try {
    TNotifyPersistent::Assign(source);
  } catch (...) {
    listeners.EndUpdate();
    throw;
  }
  listeners.EndUpdate();
}

void TEditorBracketCollection::ForEachItemColor(const std::function<void(TFountainColor&)>& fn) {
  BeginUpdate();
  for (int i = 0; i < Count(); ++i) fn(Bracket(i).ItemColor());
  EndUpdate();
}

void TEditorBracketCollection::SetAllBkColor(TColor color) {
  ForEachItemColor([&](TFountainColor& c) { c.SetBkColor(color); });
}
void TEditorBracketCollection::SetAllColor(TColor color) {
  ForEachItemColor([&](TFountainColor& c) { c.SetColor(color); });
}
void TEditorBracketCollection::SetAllStyle(int32_t style) {
  ForEachItemColor([&](TFountainColor& c) { c.SetStyle(style); });
}

TEditorFountain::TEditorFountain() {
  ReplaceBrackets(std::make_unique<TEditorBracketCollection>(this));
  colors_ = std::make_unique<TEditorColors>(*this);
  colors_->OnChange = NotifyEventList().ChangeForwarder();
}

TEditorFountain::~TEditorFountain() { colors_.reset(); }

const TPropList& TEditorFountain::Properties() const {
  using C = TEditorFountain;
  static const TPropList props = ExtendProps(
      TFountain::Properties(),
      {ObjProp<C, &C::Colors>("Colors"), StrProp<C, &C::Commenter, &C::SetCommenter>("Commenter"),
       OrdProp<C, &C::ControlCode, &C::SetControlCode>("ControlCode", TPropKind::Boolean),
       StrProp<C, &C::HexPrefix, &C::SetHexPrefix>("HexPrefix"),
       OrdProp<C, &C::Mail, &C::SetMail>("Mail", TPropKind::Boolean),
       StrProp<C, &C::Quotation, &C::SetQuotation>("Quotation"),
       OrdProp<C, &C::Url, &C::SetUrl>("Url", TPropKind::Boolean)});
  return props;
}

std::unique_ptr<TFountainParser> TEditorFountain::CreateParser() const {
  return std::make_unique<TEditorParser>(this);
}

void TEditorFountain::SetAll(const TFountainColor& color, int flags) {
  NotifyEventList().BeginUpdate();
  SetAllColors(*colors_, color, flags);
  NotifyEventList().EndUpdate();
}

void TEditorFountain::SetAllBkColor(TColor color) {
  TFountainColor c;
  c.SetBkColor(color);
  SetAll(c, 1);
}

void TEditorFountain::SetAllColor(TColor color) {
  TFountainColor c;
  c.SetColor(color);
  SetAll(c, 2);
}

void TEditorFountain::SetAllStyle(int32_t style) {
  TFountainColor c;
  c.SetStyle(style);
  SetAll(c, 4);
}

void TEditorFountain::ColorSetter(std::string_view name, TFountainColor& target, const TFountainColor& color,
                                  int flags) {
  if (FoldAsciiCase(name) == "SELECT" || FoldAsciiCase(name) == "HIT") return;
  TFountain::ColorSetter(name, target, color, flags);
}

// ---------------------------------------------------------------- parser

TEditorParser::TEditorParser(const TEditorFountain* fountain) : TFountainParser(fountain) {
  TEditorParser::InitMethodTable();
}

void TEditorParser::InitMethodTable() {
  TFountainParser::InitMethodTable();
  continueTable_[toQuotation] = static_cast<TScanMethod>(&TEditorParser::ScanQuotation);
  continueTable_[toDecimalControl] = static_cast<TScanMethod>(&TEditorParser::ScanDecimalControl);
  continueTable_[toHexControl] = static_cast<TScanMethod>(&TEditorParser::ScanHexControl);
}

bool TEditorParser::IsCountedKind(int kind) const {
  return kind == toQuotation || TFountainParser::IsCountedKind(kind);
}

void TEditorParser::DispatchToken() {
  const TEditorFountain& f = Fountain();
  if (openBracket_ == -1 && IsBracketStart()) ScanBracket();
  else if (f.Mail() && IsMailStart()) ScanMail();
  else if (f.Url() && IsUrlStart()) ScanUrl();
  else if (IsCommentStart()) ScanComment();
  else if (IsQuotationStart()) ScanQuotation();
  else if (IsHexControlStart()) ScanHexControl();
  else if (IsDecimalControlStart()) ScanDecimalControl();
  else if (IsHexPrefix()) ScanHex();
  else (this->*charTable_[Cur()])();
}

bool TEditorParser::IsCommentStart() {
  const std::string& commenter = Fountain().Commenter();
  if (commenter.empty() || !StartsWith(commenter)) return false;
  pos_ += commenter.size();
  return true;
}

bool TEditorParser::IsQuotationStart() {
  const std::string& q = Fountain().Quotation();
  if (q.empty() || Cur() != static_cast<unsigned char>(q[0])) return false;
  const std::string_view first = std::string_view(q).substr(0, EditorCharLength(q, 0));
  if (!StartsWith(first)) return false;
  pos_ += first.size();
  return true;
}

void TEditorParser::ScanQuotation() {
  const std::string& q = Fountain().Quotation();
  if (q.empty()) {
    token_ = toEof;
    return;
  }
  token_ = toQuotation;
  const std::string_view quote = std::string_view(q).substr(0, EditorCharLength(q, 0));
  while (!AtEnd()) {
    if (StartsWith(quote)) {
      pos_ += quote.size();
      if (!StartsWith(quote)) return;
      pos_ += quote.size();  // two in a row stand for one
      continue;
    }
    PassChar();
  }
}

bool TEditorParser::IsHexControlStart() {
  if (!Fountain().ControlCode() || !StartsWith("#$")) return false;
  pos_ += 2;
  return true;
}

void TEditorParser::ScanHexControl() {
  token_ = toHexControl;
  PassWhile([](unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
  });
}

bool TEditorParser::IsDecimalControlStart() {
  if (!Fountain().ControlCode() || Cur() != '#') return false;
  ++pos_;
  return true;
}

void TEditorParser::ScanDecimalControl() {
  token_ = toDecimalControl;
  PassWhile([](unsigned char c) { return c >= '0' && c <= '9'; });
}

bool TEditorParser::IsHexPrefix() {
  const std::string& prefix = Fountain().HexPrefix();
  if (prefix.empty() || text_.size() - pos_ < prefix.size()) return false;
  if (FoldAsciiCase(text_.substr(pos_, prefix.size())) != FoldAsciiCase(prefix)) return false;
  pos_ += prefix.size();
  return true;
}

const TFountainColor* TEditorParser::TokenColor() const {
  TEditorColors& colors = Fountain().Colors();
  if (IsReserveWord()) return &colors.Reserve();
  switch (token_) {
    case toAnk: return &colors.Ank();
    case toComment: return &colors.Comment();
    case toDBSymbol: case toDBInt: case toDBAlph: case toDBHira: case toDBKana: case toDBKanji:
    case toKanaSymbol: case toKana: return &colors.DBCS();
    case toInteger: case toFloat: case toHex: return &colors.Int();
    case toMail: return &colors.Mail();
    case toReserve: return &colors.Reserve();
    case toQuotation: case toDecimalControl: case toHexControl: return &colors.Str();
    case toSymbol: return &colors.Symbol();
    case toUrl: return &colors.Url();
    case toBracket: {
      const TFountainBracketItem* item = UsableBracket(tokenBracket_);
      return item ? &item->ItemColor() : nullptr;
    }
    default: return nullptr;
  }
}

}  // namespace nura
