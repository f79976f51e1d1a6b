// アニメ (kind 12): the animated picture TAnimeBox. Its pictures come from
// files, one per line; the click fires when the button goes down.
#include "engine/command_api.h"
#include "engine/sjis_text.h"
#include "gui/anime_box.h"
#include "gui/main_window.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/objects/object_site.h"
#include "platform/native_path.h"

namespace nura {
namespace {

class TAnimeObject : public TGuiObject {
 public:
  explicit TAnimeObject(TAnimeBox* box) : TGuiObject(TObjectKind::Anime, box, true) {}
  TAnimeBox* Box() const { return static_cast<TAnimeBox*>(Widget()); }

  // Each line's picture becomes a frame; the box takes its size.
  void AddFrames(const std::string& lines) {
    for (const std::string& line : SplitLines(lines)) {
      if (TrimText(line).empty()) continue;
      const QImage frame = Site()->Window().LoadPicture(TrimText(line)).ToImage();
      Box()->AddFrame(frame);
      Box()->resize(frame.size());
    }
  }

  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Value: out.Number(Box()->Interval()); return TReadResult::Done;
      case TProperty::Stretch: out.Flag(Box()->Stretch()); return TReadResult::Done;
      case TProperty::Transparent: out.Flag(Box()->Transparent()); return TReadResult::Done;
      case TProperty::Colour: out.Number(ColourValue(Box()->Colour())); return TReadResult::Done;
      case TProperty::RepeatCount: out.Number(Box()->RepeatTime()); return TReadResult::Done;
      case TProperty::Sound: out.Set(sound_, "s"); return TReadResult::Done;
      case TProperty::ButtonMode: {
        const bool first = Box()->UseButton(), second = Box()->UseButton2();
        out.text.assign(1, first && !second ? '1' : second && !first ? '2' : '0');
        return TReadResult::Done;
      }
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Picture:
        in.StoreValue();
        Box()->Stop();
        Box()->ClearFrames();
        AddFrames(in.Text());
        Box()->Start();
        return TWriteResult::Done;
      case TProperty::AddPicture:
        in.StoreValue();
        Box()->Stop();
        AddFrames(in.Text());
        Box()->Start();
        return TWriteResult::Done;
      case TProperty::Value: Box()->SetInterval(in.Number()); return TWriteResult::Done;
      case TProperty::Stretch: Box()->SetStretch(in.Integer(0) > 0); return TWriteResult::Done;
      case TProperty::Transparent:
        in.StoreValue();
        Box()->SetTransparent(in.Number() > 0);
        return TWriteResult::Done;
      case TProperty::Colour: Box()->SetColour(ColourOf(in.Colour(-1))); return TWriteResult::Done;
      case TProperty::RepeatCount: Box()->SetRepeatTime(in.Integer(0)); return TWriteResult::Done;
      case TProperty::Sound:
        sound_ = in.Text();
        Box()->SetWaveFile(in.Text().empty() ? "" : ScriptPathToNative(ResolveFilePath(in.Engine(), in.Text())));
        return TWriteResult::Done;
      case TProperty::ButtonMode: {
        const int mode = in.Number();
        if (mode < 0 || mode > 2) return TWriteResult::Done;
        Box()->SetUseButton(mode == 1);
        Box()->SetUseButton2(mode == 2);
        return TWriteResult::Done;
      }
      case TProperty::Visible: Box()->SetShown(in.Integer(0) != 0); return TWriteResult::Done;
      default: return TGuiObject::Write(p, in);
    }
  }

  TReadResult ReadValue(TPropertyValue&) override { return TReadResult::Unknown; }
  void AssignValue(TPropertyInput&) override {}
  void Empty() override {
    Box()->ClearFrames();
    Box()->Stop();
    Box()->SetShown(false);
  }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse; }
  bool ClicksBySignal() const override { return true; }
  void ConnectSignals() override {
    QObject::connect(Box(), &TAnimeBox::Pressed, Context(), [this] { Fire(kSlotClick); });
  }

 private:
  std::string sound_;  // "効果音" as the script gave it
};

// Created at the anime box's size in its parent's colour, white where it
// shows its own.
std::unique_ptr<TGuiObject> MakeAnime(const TObjectRecipe& recipe) {
  return std::make_unique<TAnimeObject>(new TAnimeBox(ObjectParent(recipe)));
}

}  // namespace

void RegisterAnimeKind() { RegisterObjectKind(TObjectKind::Anime, MakeAnime); }

}  // namespace nura
