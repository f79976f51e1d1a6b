// The syntax-colouring framework. A fountain holds the colouring set-up
// (bracket pairs, reserved words and their colour, file extensions); its
// parser cuts one row into tokens through two 256-entry tables of scanning
// methods and carries into the next row the state that a token or a bracket
// region needs when it runs on.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "editor/editor_idents.h"
#include "editor/file_ext_component.h"
#include "editor/row_list.h"

namespace nura {

// Font style bits (a set of fsBold, fsItalic, fsUnderline, fsStrikeOut).
enum : int32_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
extern const TNameList kFontStyleNames;

class TFountainColor : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TFountainColor"; }
  const TPropList& Properties() const override;
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor v) { Update(bkColor_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Update(color_, v); }
  int32_t Style() const { return style_; }
  void SetStyle(int32_t v) { Update(style_, v & 15); }

 private:
  TColor bkColor_ = clNone, color_ = clNone;
  int32_t style_ = 0;
};

class TNotifyCollection;

class TFountainColorItem : public TPersistent {
 public:
  explicit TFountainColorItem(TNotifyCollection& collection);
  const TPropList& Properties() const override;
  TFountainColor& ItemColor() { return itemColor_; }
  const TFountainColor& ItemColor() const { return itemColor_; }
  void SetItemColor(const TFountainColor& c) { itemColor_.Assign(c); }

 private:
  TFountainColor itemColor_;
};

class TFountainBracketItem : public TFountainColorItem {
 public:
  using TFountainColorItem::TFountainColorItem;
  std::string_view ClassName() const override { return "TFountainBracketItem"; }
  const TPropList& Properties() const override;
  const std::string& LeftBracket() const { return left_; }
  void SetLeftBracket(const std::string& v);
  const std::string& RightBracket() const { return right_; }
  void SetRightBracket(const std::string& v);

 private:
  std::string left_, right_;
};

class TFountain;

// At most 14 pairs: an open bracket's index must fit the row's 4-bit parser
// state.
class TFountainBracketCollection : public TNotifyCollection {
 public:
  static constexpr int kMaxItems = 14;
  explicit TFountainBracketCollection(TFountain* fountain);
  std::string_view ClassName() const override { return "TFountainBracketCollection"; }
  TPersistent& Add() override;
  TFountainBracketItem& Bracket(int i) const { return static_cast<TFountainBracketItem&>(Item(i)); }
  TFountainBracketItem& AddBracket(const std::string& left, const std::string& right);

 protected:
  std::unique_ptr<TPersistent> CreateItem() override;
};

class TFountainParser;

class TFountain : public TFileExtComponent {
 public:
  TFountain();
  ~TFountain() override;
  std::string_view ClassName() const override { return "TFountain"; }
  const TPropList& Properties() const override;

  // The editors that use this fountain hear every change through it.
  TNotifyEventList& NotifyEventList() { return *listeners_; }
  // Told when the fountain is destroyed, so that no editor keeps it.
  TNotifyEventList& FreeNotifyList() { return *freeListeners_; }
  TFountainBracketCollection& Brackets() { return *brackets_; }
  const TFountainBracketCollection& Brackets() const { return *brackets_; }
  void SetBrackets(const TFountainBracketCollection& v) { brackets_->Assign(v); }
  TFountainColor& Reserve() { return *reserve_; }
  void SetReserve(const TFountainColor& v) { reserve_->Assign(v); }
  const TSortedStrings& ReserveWords() const { return reserveWordList_; }
  const std::vector<std::string>& ReserveWordList() const { return reserveWordList_.Strings(); }
  void SetReserveWordList(const std::vector<std::string>& words);

  virtual std::unique_ptr<TFountainParser> CreateParser() const;
  // Whether some colour of the fountain has the italic style.
  virtual bool HasItalicStyle();
  // Gives every colour of `colorSet` the background (flag 1), the colour
  // (flag 2) and/or the style (flag 4) of `color`.
  void SetAllColors(TPersistent& colorSet, const TFountainColor& color, int flags);

 protected:
  // A colour whose changes reach the listeners.
  std::unique_ptr<TFountainColor> CreateFountainColor();
  virtual std::unique_ptr<TFountainBracketCollection> CreateBrackets() {
    return std::make_unique<TFountainBracketCollection>(this);
  }
  // Called for each colour property by SetAllColors.
  virtual void ColorSetter(std::string_view name, TFountainColor& target, const TFountainColor& color, int flags);
  // Derived fountains make their brackets with their own factory.
  void ReplaceBrackets(std::unique_ptr<TFountainBracketCollection> brackets);

 private:
  std::unique_ptr<TNotifyEventList> listeners_, freeListeners_;
  std::unique_ptr<TFountainBracketCollection> brackets_;
  TSortedStrings reserveWordList_;
  std::unique_ptr<TFountainColor> reserve_;
};

// Token kinds.
enum TTokenKind : uint8_t {
  toEof = 0, toSymbol = 1, toInteger = 3, toFloat = 4, toBracket = 6, toComment = 7, toReserve = 8,
  toTab = 9, toAnk = 11, toDBSymbol = 12, toDBInt = 14, toDBAlph = 15, toDBHira = 16, toDBKana = 17,
  toDBKanji = 18, toKanaSymbol = 19, toKana = 20, toUrl = 21, toMail = 22, toHex = 23,
  toSingleQuotation = 24, toDoubleQuotation = 25,
};

class TFountainParser {
 public:
  // Raises ERuntimeError without a fountain.
  explicit TFountainParser(const TFountain* fountain);
  virtual ~TFountainParser() = default;
  TFountainParser(const TFountainParser&) = delete;
  TFountainParser& operator=(const TFountainParser&) = delete;

  // Takes a row text and the state at its start.
  void SetText(std::string_view text, const TRowAttributeData& state);
  // Parses row `row` of `list`; `state` holds the state at the start of the
  // row and receives the state at the start of the next one.
  void ParseRow(int row, const TRowAttributeStringList& list, TRowAttributeData& state);
  // The next token's kind; 0 at the end of the text (and ever after).
  int NextToken();
  int Token() const { return token_; }
  int TokenOffset() const { return static_cast<int>(tokenStart_); }
  int TokenLength() const { return static_cast<int>(pos_ - tokenStart_); }
  std::string_view TokenString() const { return text_.substr(tokenStart_, pos_ - tokenStart_); }
  // The colour of the current token; nullptr for the plain colours.
  virtual const TFountainColor* TokenColor() const { return nullptr; }
  // The bracket item of the current bracket token (-1 none).
  int TokenBracket() const { return tokenBracket_; }
  virtual bool IsReserveWord() const;

 protected:
  using TScanMethod = void (TFountainParser::*)();

  virtual void InitMethodTable();
  virtual void SkipBlanks();
  virtual bool IsBracketStart();
  virtual void ScanBracket();
  virtual bool IsMailStart();
  virtual void ScanMail();
  virtual bool IsUrlStart();
  virtual void ScanUrl();
  virtual void ScanReserve();
  virtual void ScanNull();
  virtual void ScanTab();
  virtual void ScanLF();
  virtual void ScanCR();
  virtual void ScanComment();
  virtual void ScanHex();
  virtual void ScanNumber();
  virtual void ScanAnk();
  virtual void ScanDbSymbol();
  virtual void ScanDbAlphaKana();
  virtual void ScanKanji();
  virtual void ScanKanaSymbol();
  virtual void ScanKana();
  virtual void ScanSymbol();
  virtual void ScanSingleQuote();
  virtual void ScanDoubleQuote();
  virtual void ContinueToken();
  virtual void DispatchToken();
  virtual void UpgradeReserved();
  // Kinds whose continuation is found by kind, not counted in bytes.
  virtual bool IsCountedKind(int kind) const;
  // Kinds that, carried into a row, cover all of it.
  virtual bool IsWholeRowKind(int kind) const { return kind == toComment; }

  unsigned char Byte(size_t i) const { return i < text_.size() ? static_cast<unsigned char>(text_[i]) : 0; }
  unsigned char Cur() const { return Byte(pos_); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool StartsWith(std::string_view s) const { return text_.substr(pos_).starts_with(s); }
  // Passes one character (two bytes only for a lead byte with its trail).
  void PassChar();
  // Passes bytes while `pred(byte)` holds.
  template <typename Pred>
  void PassWhile(Pred pred) {
    while (!AtEnd() && pred(Cur())) ++pos_;
  }
  void ScanQuoted(char quote, int kind);
  void ScanExponent();
  // The bracket item with index `i`, nullptr when there is none or it has
  // an empty bracket.
  const TFountainBracketItem* UsableBracket(int i) const;

  const TFountain* fountain_;
  std::string_view text_;
  size_t pos_ = 0, tokenStart_ = 0;
  int token_ = toEof;
  int openBracket_ = -1;
  int tokenBracket_ = -1;
  bool continuing_ = false;
  int carriedKind_ = 0, carriedBytes_ = 0;
  int rowKind_ = 0, prevRowKind_ = 0;
  // Carried for derived parsers.
  int byteA3_ = 0, byteB0_ = 0, byteB1_ = 0;
  std::string carriedText_;
  std::array<TScanMethod, 256> charTable_{};
  std::array<TScanMethod, 256> continueTable_{};
};

}  // namespace nura
