// The editor's own fountain: eleven token colours, bracket pairs with their
// colours, reserved words, a one-line comment prefix, a quotation character,
// a hexadecimal prefix, and switches for control codes, mail addresses and
// URLs; and its parser, which adds those rules and maps tokens to colours.
#pragma once

#include "editor/fountain.h"

namespace nura {

class TEditorColor : public TFountainColor {
 public:
  std::string_view ClassName() const override { return "TEditorColor"; }
};

class TEditorFountain;

class TEditorColors : public TNotifyPersistent {
 public:
  explicit TEditorColors(TEditorFountain& fountain);
  std::string_view ClassName() const override { return "TEditorColors"; }
  const TPropList& Properties() const override;
  void Assign(const TPersistent& source) override;

  TFountainColor& Ank() { return colors_[0]; }
  TFountainColor& Comment() { return colors_[1]; }
  TFountainColor& DBCS() { return colors_[2]; }
  TFountainColor& Hit() { return colors_[3]; }
  TFountainColor& Int() { return colors_[4]; }
  TFountainColor& Mail() { return colors_[5]; }
  TFountainColor& Reserve();
  TFountainColor& Select() { return colors_[6]; }
  TFountainColor& Str() { return colors_[7]; }
  TFountainColor& Symbol() { return colors_[8]; }
  TFountainColor& Url() { return colors_[9]; }

 private:
  TEditorFountain& fountain_;
  TEditorColor colors_[10];
};

class TEditorBracketCollection : public TFountainBracketCollection {
 public:
  using TFountainBracketCollection::TFountainBracketCollection;
  std::string_view ClassName() const override { return "TEditorBracketCollection"; }
  virtual void SetAllBkColor(TColor color);
  virtual void SetAllColor(TColor color);
  virtual void SetAllStyle(int32_t style);

 private:
  void ForEachItemColor(const std::function<void(TFountainColor&)>& fn);
};

// Token kinds of the editor parser.
enum : uint8_t { toQuotation = 26, toDecimalControl = 27, toHexControl = 28 };

class TEditorFountain : public TFountain {
 public:
  TEditorFountain();
  ~TEditorFountain() override;
  std::string_view ClassName() const override { return "TEditorFountain"; }
  const TPropList& Properties() const override;
  std::unique_ptr<TFountainParser> CreateParser() const override;

  TEditorBracketCollection& EditorBrackets() { return static_cast<TEditorBracketCollection&>(Brackets()); }
  TEditorColors& Colors() const { return *colors_; }
  void SetColors(const TEditorColors& v) { colors_->Assign(v); }
  const std::string& Commenter() const { return commenter_; }
  void SetCommenter(const std::string& v) { Store(commenter_, v); }
  bool ControlCode() const { return controlCode_; }
  void SetControlCode(bool v) { Store(controlCode_, v); }
  const std::string& HexPrefix() const { return hexPrefix_; }
  void SetHexPrefix(const std::string& v) { Store(hexPrefix_, v); }
  bool Mail() const { return mail_; }
  void SetMail(bool v) { Store(mail_, v); }
  const std::string& Quotation() const { return quotation_; }
  void SetQuotation(const std::string& v) { Store(quotation_, v); }
  bool Url() const { return url_; }
  void SetUrl(bool v) { Store(url_, v); }

  // Every colour but Select and Hit takes the value, with one notification.
  virtual void SetAllBkColor(TColor color);
  virtual void SetAllColor(TColor color);
  virtual void SetAllStyle(int32_t style);

 protected:
  void ColorSetter(std::string_view name, TFountainColor& target, const TFountainColor& color, int flags) override;

 private:
  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    NotifyEventList().Changed();
  }
  void SetAll(const TFountainColor& color, int flags);

  std::unique_ptr<TEditorColors> colors_;
  std::string commenter_, hexPrefix_, quotation_;
  bool controlCode_ = false, mail_ = false, url_ = false;
};

class TEditorParser : public TFountainParser {
 public:
  explicit TEditorParser(const TEditorFountain* fountain);
  const TFountainColor* TokenColor() const override;

 protected:
  void InitMethodTable() override;
  bool IsCountedKind(int kind) const override;
  void DispatchToken() override;
  virtual bool IsQuotationStart();
  virtual void ScanQuotation();
  virtual bool IsCommentStart();
  virtual bool IsHexPrefix();
  virtual bool IsHexControlStart();
  virtual void ScanHexControl();
  virtual bool IsDecimalControlStart();
  virtual void ScanDecimalControl();

 private:
  const TEditorFountain& Fountain() const { return static_cast<const TEditorFountain&>(*fountain_); }
};

}  // namespace nura
