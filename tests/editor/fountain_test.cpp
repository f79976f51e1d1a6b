#include "editor/fountain.h"

#include <gtest/gtest.h>

#include "editor/editor_fountain.h"
#include "editor/editor_view_info.h"
#include "engine/errors.h"
#include "platform/sjis.h"

namespace nura {
namespace {

using Tokens = std::vector<std::pair<int, std::string>>;

Tokens Scan(const TFountain& fountain, std::string_view text, TRowAttributeData state = {}) {
  auto parser = fountain.CreateParser();
  parser->SetText(text, state);
  Tokens tokens;
  while (parser->NextToken() != toEof) tokens.emplace_back(parser->Token(), std::string(parser->TokenString()));
  return tokens;
}

// Rows with kinds; each row's stored state is the state at its start.
struct Rows {
  TRowAttributeStringList list;
  std::vector<TRowAttributeData> states;
  Rows(const TFountain& fountain, std::initializer_list<std::pair<const char*, int>> rows) {
    for (auto [text, kind] : rows) list.SetRowKind(list.Add(text), kind);
    auto parser = fountain.CreateParser();
    TRowAttributeData state;
    for (int i = 0; i < list.GetCount(); ++i) {
      states.push_back(state);
      parser->ParseRow(i, list, state);
    }
  }
  Tokens TokensOf(const TFountain& fountain, int row) const {
    return Scan(fountain, list.Get(row), states[static_cast<size_t>(row)]);
  }
};

TEST(FountainParser, NumbersWordsAndTwoByteRuns) {
  TFountain f;
  EXPECT_EQ(Scan(f, "1.5e-3"), (Tokens{{toFloat, "1.5e-3"}}));
  EXPECT_EQ(Scan(f, "12. x"), (Tokens{{toInteger, "12"}, {toSymbol, "."}, {toAnk, "x"}}));
  EXPECT_EQ(Scan(f, "7E+2 3.e5"), (Tokens{{toFloat, "7E+2"}, {toFloat, "3.e5"}}));
  EXPECT_EQ(Scan(f, SJ("ひらがなカタカナ漢字１２ＡＢ\tｶﾅ")),
            (Tokens{{toDBHira, SJ("ひらがな")}, {toDBKana, SJ("カタカナ")}, {toDBKanji, SJ("漢字")},
                    {toDBInt, SJ("１２")}, {toDBAlph, SJ("ＡＢ")}, {toTab, "\t"}, {toKana, SJ("ｶﾅ")}}));
  // Lead bytes without a trail byte are one byte each; nothing spins.
  EXPECT_EQ(Scan(f, "\x82"), (Tokens{{toSymbol, "\x82"}}));
  EXPECT_EQ(Scan(f, "a\x81"), (Tokens{{toAnk, "a"}, {toDBSymbol, "\x81"}}));
  EXPECT_EQ(Scan(f, "\x88"), (Tokens{{toDBKanji, "\x88"}}));
  EXPECT_THROW(TFountainParser(nullptr), ERuntimeError);
}

TEST(FountainParser, BracketsReservedWordsAndTheBracketLimit) {
  TFountain f;
  f.Brackets().AddBracket("", "x");  // an empty bracket is never a region
  f.Brackets().AddBracket("{", "}");
  EXPECT_EQ(Scan(f, "a{b}c"), (Tokens{{toAnk, "a"}, {toBracket, "{b}"}, {toAnk, "c"}}));
  Rows rows(f, {{"x {a", 0}, {"middle", 0}, {"b} y", 0}});
  EXPECT_EQ(rows.states[1].parseState, 1);
  EXPECT_EQ(rows.TokensOf(f, 1), (Tokens{{toBracket, "middle"}}));
  EXPECT_EQ(rows.TokensOf(f, 2), (Tokens{{toBracket, "b}"}, {toAnk, "y"}}));

  // Reserved words are found without regard to ASCII case.
  f.SetReserveWordList({"if", SJ("もし")});
  auto parser = f.CreateParser();
  parser->SetText("IF x", {});
  parser->NextToken();
  EXPECT_TRUE(parser->IsReserveWord());
  parser->NextToken();
  EXPECT_FALSE(parser->IsReserveWord());

  for (int i = f.Brackets().Count(); i < TFountainBracketCollection::kMaxItems; ++i) f.Brackets().AddBracket("<", ">");
  try {
    f.Brackets().AddBracket("(", ")");
    FAIL();
  } catch (const ERuntimeError& e) {
    EXPECT_STREQ(e.what(), "TFountainBracketCollection\r\nYou can not add item over 14");
  }
  EXPECT_EQ(f.Brackets().Count(), 14);
}

TEST(FountainParser, TokensCarryAcrossWrappedRows) {
  TEditorFountain f;
  f.SetCommenter("'");
  f.SetQuotation("\"");
  // A comment carries through wrapped rows and stops at the next real row.
  Rows c(f, {{"a 'note", 1}, {"more", 1}, {"end", 0}, {"next", 0}});
  EXPECT_EQ(c.TokensOf(f, 1), (Tokens{{toComment, "more"}}));
  EXPECT_EQ(c.TokensOf(f, 2), (Tokens{{toComment, "end"}}));
  EXPECT_EQ(c.TokensOf(f, 3), (Tokens{{toAnk, "next"}}));
  // A quotation resumes without its opening character.
  Rows q(f, {{"x \"ab", 1}, {"cd\" y", 0}});
  EXPECT_EQ(q.TokensOf(f, 1), (Tokens{{toQuotation, "cd\""}, {toAnk, "y"}}));
  // A word cut by the wrap carries its remaining bytes.
  Rows w(f, {{"one tw", 1}, {"o three", 0}});
  EXPECT_EQ(w.states[1].byteA1, toAnk);
  EXPECT_EQ(w.states[1].byteA2, 1);
  EXPECT_EQ(w.TokensOf(f, 1), (Tokens{{toAnk, "o"}, {toAnk, "three"}}));
}

TEST(EditorParser, CommentsQuotationsAndPrefixes) {
  TEditorFountain f;
  f.SetCommenter("'");
  f.SetQuotation("\"");
  f.SetHexPrefix("$");
  EXPECT_EQ(Scan(f, "a 'b \"c"), (Tokens{{toAnk, "a"}, {toComment, "'b \"c"}}));
  EXPECT_EQ(Scan(f, "\"a\"\"b\" c"), (Tokens{{toQuotation, "\"a\"\"b\""}, {toAnk, "c"}}));
  EXPECT_EQ(Scan(f, "$ff $FF #13"), (Tokens{{toHex, "$ff"}, {toHex, "$FF"}, {toSymbol, "#"}, {toInteger, "13"}}));
  f.SetControlCode(true);
  EXPECT_EQ(Scan(f, "#$0D #13"), (Tokens{{toHexControl, "#$0D"}, {toDecimalControl, "#13"}}));
  f.SetQuotation("'");  // the comment rule is tried first
  EXPECT_EQ(Scan(f, "'x'"), (Tokens{{toComment, "'x'"}}));
  f.SetMail(true);
  f.SetUrl(true);
  EXPECT_EQ(Scan(f, "me.x@host.jp http://a.b/c ab@cd"),
            (Tokens{{toMail, "me.x@host.jp"}, {toUrl, "http://a.b/c"}, {toAnk, "ab"}, {toSymbol, "@"}, {toAnk, "cd"}}));
  auto parser = f.CreateParser();
  parser->SetText("12", {});
  parser->NextToken();
  EXPECT_EQ(parser->TokenColor(), &f.Colors().Int());
}

TEST(EditorFountain, ColoursNotifyTheListenersOnce) {
  TEditorViewInfo view;
  TEditorFountain& f = view.Fountain();
  int changes = 0;
  view.OnChange = [&](TPersistent*) { ++changes; };
  EXPECT_EQ(f.Colors().Select().BkColor(), clNavy);
  f.SetAllColor(clRed);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(f.Colors().Ank().Color(), clRed);
  EXPECT_EQ(f.Colors().Reserve().Color(), clRed);
  EXPECT_EQ(f.Colors().Select().Color(), clWhite);
  EXPECT_EQ(f.Colors().Hit().Color(), clNone);
  EXPECT_FALSE(f.HasItalicStyle());
  f.Brackets().AddBracket("(", ")").ItemColor().SetStyle(fsItalic);
  EXPECT_TRUE(f.HasItalicStyle());
  EXPECT_EQ(changes, 3);

  view.SetQuotation(SJ("「」"));
  EXPECT_EQ(view.Quotation(), SJ("「"));
  changes = 0;
  view.SetQuotation(SJ("「"));
  EXPECT_EQ(changes, 0);
  TEditorViewInfo other;
  other.SetCommenter("//");
  other.Colors().Int().SetColor(clBlue);
  other.Brackets().AddBracket("[", "]");
  view.Assign(other);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(view.Commenter(), "//");
  EXPECT_EQ(view.Brackets().Count(), 1);
  EXPECT_EQ(view.Colors().Int().Color(), clBlue);
}

}  // namespace
}  // namespace nura

namespace nura {
namespace {

TEST(FountainParser, ARightBracketCutByTheWrapCarriesItsBytes) {
  TFountain f;
  f.Brackets().AddBracket("/*", "*/");
  Rows rows(f, {{"a /* x *", 1}, {"/ b", 0}});
  EXPECT_EQ(rows.states[1].parseState, 0);
  EXPECT_EQ(rows.states[1].byteA1, toBracket);
  EXPECT_EQ(rows.states[1].byteA2, 1);
  EXPECT_EQ(rows.TokensOf(f, 1), (Tokens{{toBracket, "/"}, {toAnk, "b"}}));
  // A stored state that names a bracket which no longer exists is ignored.
  TRowAttributeData stale;
  stale.parseState = 9;
  EXPECT_EQ(Scan(f, "a", stale), (Tokens{{toAnk, "a"}}));
}

TEST(FountainListeners, AddRemoveAndAssign) {
  TFountain f;
  int a = 0, b = 0;
  f.NotifyEventList().Add(&a, [&](TPersistent* sender) {
    EXPECT_EQ(sender, &f);
    ++a;
  });
  f.NotifyEventList().Add(&b, [&](TPersistent*) { ++b; });
  f.Reserve().SetColor(clRed);
  f.NotifyEventList().Remove(&a);
  f.Brackets().AddBracket("<", ">");
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  TFountain g;
  g.Brackets().AddBracket("[", "]");
  g.Brackets().AddBracket("{", "}");
  f.SetBrackets(g.Brackets());
  EXPECT_EQ(b, 3);
  ASSERT_EQ(f.Brackets().Count(), 2);
  EXPECT_EQ(f.Brackets().Bracket(1).RightBracket(), "}");
}

}  // namespace
}  // namespace nura
