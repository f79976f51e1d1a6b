// Editing one colour of the editor settings with a 16-colour grid: a left
// click takes the foreground, a right click the background; the "none"
// panel gives clNone; three boxes switch bold, underline and italic. The
// manager edits either a token colour (foreground, background, style) or a
// mark (foreground only).
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "editor/editor_idents.h"

class QCheckBox;
class QLabel;

namespace nura {

class TFountainColor;
class TEditorMark;

// The palette of the grid: the first sixteen named colours with gray and
// silver exchanged (the grid's order), then clNone as entry 16.
class TCustomColorManager {
 public:
  static constexpr int kNoneIndex = 16;
  TCustomColorManager();
  virtual ~TCustomColorManager() = default;
  const std::array<TColor, 17>& Palette() const { return palette_; }
  // The palette entry of a colour; kNoneIndex outside the palette.
  int IndexOf(TColor color) const;

 private:
  std::array<TColor, 17> palette_{};
};

// The 4 x 4 colour grid; the cells of the foreground and the background are
// marked "FG" and "BG".
class TColorGrid : public QWidget {
 public:
  explicit TColorGrid(const TCustomColorManager& manager, QWidget* parent = nullptr);
  void SetIndexes(int foreground, int background);
  int ForegroundIndex() const { return foreground_; }
  int BackgroundIndex() const { return background_; }
  // Left button: the cell's index as foreground; right: as background.
  std::function<void(int index, bool right)> OnCellClicked;
  QSize sizeHint() const override { return {4 * kCell + 1, 4 * kCell + 1}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  static constexpr int kCell = 22;
  const TCustomColorManager& manager_;
  int foreground_ = TCustomColorManager::kNoneIndex, background_ = TCustomColorManager::kNoneIndex;
};

class TEditorColorManager : public QWidget, public TCustomColorManager {
 public:
  explicit TEditorColorManager(QWidget* parent = nullptr);
  // Mode 0: a token colour; nothing edits nothing and disables the grid.
  void EditColor(TFountainColor* color);
  // Mode 1: a mark's colour.
  void EditMark(TEditorMark* mark);
  void Clear() { EditColor(nullptr); }
  int Mode() const { return mark_ ? 1 : 0; }
  TColorGrid& Grid() { return *grid_; }
  // A click on the grid or the "none" panel (right: background).
  void ClickCell(int index, bool right);
  void ClickNone(bool right);
  // After every change made here.
  std::function<void()> OnColorChanged;

 private:
  void Show();
  // The value as foreground (right: background) of what is edited.
  void Apply(TColor value, bool right);
  void SetStyleBit(int bit, bool on);

  TFountainColor* color_ = nullptr;
  TEditorMark* mark_ = nullptr;
  TColorGrid* grid_;
  QWidget* none_;
  QLabel *foreLabel_, *backLabel_;
  QCheckBox *bold_, *underline_, *italic_;
  bool showing_ = false;
};

}  // namespace nura
