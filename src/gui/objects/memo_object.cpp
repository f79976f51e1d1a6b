// メモ (kind 6): a multi-line edit with both scroll bars.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <climits>

#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/text_selection.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

class TMemoObject : public TGuiObject {
 public:
  explicit TMemoObject(QPlainTextEdit* memo) : TGuiObject(TObjectKind::Memo, memo, true) {}
  QPlainTextEdit* Memo() const { return static_cast<QPlainTextEdit*>(Widget()); }

  std::optional<std::string> Caption() const override {
    return QStringToSjis(Memo()->toPlainText().replace('\n', "\r\n"));
  }
  void SetCaption(const std::string& text) override {
    Memo()->setPlainText(SjisToQString(text).replace("\r\n", "\n").replace('\r', '\n'));
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    const QTextCursor cursor = Memo()->textCursor();
    const QString all = Memo()->toPlainText();
    switch (p) {
      case TProperty::Editable: out.Flag(!Memo()->isReadOnly()); return TReadResult::Done;
      case TProperty::ScrollBars: out.Set(ScrollBarsText(), "s"); return TReadResult::Done;
      case TProperty::SelText:
        out.Set(QStringToSjis(cursor.selectedText().replace(QChar::ParagraphSeparator, "\r\n")), "s");
        return TReadResult::Done;
      case TProperty::SelStart: out.Number(Bytes(all, cursor.selectionStart())); return TReadResult::Done;
      case TProperty::SelLength:
        out.Number(Bytes(all, cursor.selectionEnd()) - Bytes(all, cursor.selectionStart()));
        return TReadResult::Done;
      case TProperty::Column: out.Number(cursor.positionInBlock()); return TReadResult::Done;
      case TProperty::Row: out.Number(cursor.blockNumber()); return TReadResult::Done;
      case TProperty::Ime: out.Number(ImeMode(*Memo())); return TReadResult::Done;
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    QTextCursor cursor = Memo()->textCursor();
    const QString all = Memo()->toPlainText();
    switch (p) {
      case TProperty::Editable:
        in.StoreValue();
        Memo()->setReadOnly(in.Number() == 0);
        return TWriteResult::Done;
      case TProperty::ScrollBars: {
        const std::string& t = in.Text();
        const bool v = t == SJ("縦") || t == SJ("両方"), h = t == SJ("横") || t == SJ("両方");
        Memo()->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        Memo()->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        Memo()->setLineWrapMode(h ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        return TWriteResult::Done;
      }
      case TProperty::SelText:
        cursor.insertText(SjisToQString(in.Text()).replace("\r\n", "\n"));
        return TWriteResult::Done;
      case TProperty::SelStart:
        cursor.setPosition(Chars(all, std::max(0, in.Number())));
        Memo()->setTextCursor(cursor);
        return TWriteResult::Done;
      case TProperty::SelLength: {
        const int start = cursor.selectionStart();
        cursor.setPosition(start);
        // A length past the end selects to the end; the sum must not overflow.
        const int from = Bytes(all, start);
        cursor.setPosition(Chars(all, from + std::clamp(in.Number(), 0, INT_MAX - from)), QTextCursor::KeepAnchor);
        Memo()->setTextCursor(cursor);
        return TWriteResult::Done;
      }
      case TProperty::Column: {
        // The caret moves that many characters forward within its line.
        const int n = std::max(0, in.Integer(0));
        cursor.movePosition(QTextCursor::StartOfBlock);
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                            std::min(n, cursor.block().length() - 1));
        Memo()->setTextCursor(cursor);
        return TWriteResult::Done;
      }
      case TProperty::Row: {
        const int n = std::max(0, in.Integer(0));
        const QTextBlock block = Memo()->document()->findBlockByNumber(
            std::min(n, Memo()->document()->blockCount() - 1));
        cursor.setPosition(block.position());
        Memo()->setTextCursor(cursor);
        Memo()->ensureCursorVisible();
        return TWriteResult::Done;
      }
      case TProperty::Ime:
        SetImeMode(*Memo(), in.Number());
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  void Empty() override { Memo()->clear(); }

 protected:
  unsigned Events() const override { return kOnChange | kOnClick | kOnDblClick | kOnMouse | kOnKeys; }
  void ConnectSignals() override {
    QObject::connect(Memo(), &QPlainTextEdit::textChanged, Context(), [this] { Fire(kSlotChange); });
  }
  bool HasFont() const override { return true; }
  bool HasColour() const override { return true; }
  QPalette::ColorRole ColourRole() const override { return QPalette::Base; }

 private:
  // Offsets as scripts count them: bytes, a line break two.
  static int Bytes(const QString& all, int pos) {
    const QString head = all.left(pos);
    return ByteOffsetOf(head, pos) + static_cast<int>(head.count('\n'));
  }
  static int Chars(const QString& all, int bytes) {
    int pos = 0;
    while (pos < all.size() && Bytes(all, pos + 1) <= bytes) ++pos;
    return pos;
  }
  std::string ScrollBarsText() const {
    const bool v = Memo()->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
    const bool h = Memo()->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
    return v && h ? SJ("両方") : v ? SJ("縦") : h ? SJ("横") : std::string();
  }
};

std::unique_ptr<TGuiObject> MakeMemo(const TObjectRecipe& recipe) {
  auto* memo = new QPlainTextEdit(ObjectParent(recipe));
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->resize(185, 89);
  auto object = std::make_unique<TMemoObject>(memo);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterMemoKind() { RegisterObjectKind(TObjectKind::Memo, MakeMemo); }

}  // namespace nura
