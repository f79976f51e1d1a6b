#include "gui/str_sort_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "gui/row_sort.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

// ---- the sort ----

std::string GridSortKey(std::string_view text) {
  std::string key(text);
  for (size_t i = 0; i < key.size(); ++i) {
    const auto c = static_cast<unsigned char>(key[i]);
    if (IsSjisLead(c) && i + 1 < key.size()) {
      ++i;  // the trail byte is no letter
    } else if (c >= 'a' && c <= 'z') {
      key[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  return key;
}

std::vector<int> SortedRowOrder(const std::vector<std::string>& keys) {
  std::vector<int> order(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  if (order.empty()) return order;
  SortRows(order, 0, static_cast<int>(order.size()) - 1,
           [&keys](int a, int b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; });
  return order;
}

// ---- painting of fixed rows ----

namespace {

// Every cell's text stands 2 pixels in from its top left corner and is cut
// at its edges, never shortened with an ellipsis, so a column as wide as
// its text and 5 pixels shows it whole. Fixed rows in the fixed colour;
// the sorted column's header cell with the direction arrow.
class TFixedRowDelegate : public QStyledItemDelegate {
 public:
  explicit TFixedRowDelegate(TStrSortGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (index.row() >= grid_.FixedRows()) {
      PaintCell(painter, option, index);
      return;
    }
    const QRect cell = option.rect;
    painter->save();
    painter->fillRect(cell, grid_.palette().color(QPalette::Button));
    painter->setPen(grid_.palette().color(QPalette::ButtonText));
    painter->setFont(grid_.font());
    const bool arrow = index.row() == 0 && index.column() == grid_.SortedColumn() && grid_.Sorted() &&
                       !grid_.SortedHeader().empty();
    const QString text = arrow ? SjisToQString(grid_.SortedHeader()) : index.data().toString();
    const QFontMetrics metrics(grid_.font());
    const int left = arrow ? 1 : 2;
    painter->setClipRect(cell);
    painter->drawText(cell.left() + left, cell.top() + 2 + metrics.ascent(), text);
    if (arrow) DrawArrow(*painter, grid_.GlyphRect(cell, metrics.horizontalAdvance(text)), grid_.Ascending());
    painter->restore();
  }

 private:
  // An ordinary cell: the style's item panel (selection, focus), then the text.
  void PaintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem panel = option;
    initStyleOption(&panel, index);
    const QString text = panel.text;
    panel.text.clear();
    const QWidget* view = option.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &panel, painter, view);
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(panel.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(panel.font);
    painter->setClipRect(option.rect);
    painter->drawText(option.rect.left() + 2, option.rect.top() + 2 + QFontMetrics(panel.font).ascent(), text);
    painter->restore();
  }

  // A filled triangle, point up for ascending, down for descending.
  static void DrawArrow(QPainter& painter, const QRect& box, bool up) {
    const QColor colour = Qt::black;
    const int rows = TStrSortGrid::kGlyphSize / 2;
    for (int i = 0; i < rows; ++i) {
      const int row = up ? rows - 1 - i : i;  // the widest row first for a down arrow
      painter.fillRect(box.left() + i, box.top() + 2 + row, TStrSortGrid::kGlyphSize - 2 * i, 1, colour);
    }
  }

  TStrSortGrid& grid_;
};

}  // namespace

// ---- mouse ----

// The grid's own mouse handling on its viewport.
class TSortGridMouse : public QObject {
 public:
  explicit TSortGridMouse(TStrSortGrid& grid) : QObject(&grid), grid_(grid) {}
  bool eventFilter(QObject*, QEvent* event) override { return grid_.MouseEvent(event); }

 private:
  TStrSortGrid& grid_;
};

TStrSortGrid::TStrSortGrid(QWidget* parent) : QTableWidget(5, 5, parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setDefaultSectionSize(64);
  verticalHeader()->setDefaultSectionSize(24);
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegate(new TFixedRowDelegate(*this));
  mouse_ = new TSortGridMouse(*this);
  viewport()->installEventFilter(mouse_);
  viewport()->setMouseTracking(true);
  MarkFixedCells();
}

// The mouse handling goes first: the viewport outlives this part of the
// grid.
TStrSortGrid::~TStrSortGrid() { delete mouse_; }

void TStrSortGrid::HandleMouseFirst() {
  viewport()->removeEventFilter(mouse_);
  viewport()->installEventFilter(mouse_);
}

// A press on a header cell sorts (also the second press of a double
// click); a press on the right edge of a header cell starts widening that
// column.
bool TStrSortGrid::MouseEvent(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
      type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
    return false;
  const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
  const QModelIndex index = indexAt(at);
  const bool onHeader = index.isValid() && index.row() < fixedRows_;
  const bool onEdge = onHeader && std::abs(visualRect(index).right() - at.x()) <= 2;
  switch (type) {
    case QEvent::MouseMove:
      if (sizingColumn_ >= 0) {
        setColumnWidth(sizingColumn_, std::max(1, at.x() - columnViewportPosition(sizingColumn_)));
        return true;
      }
      viewport()->setCursor(onEdge ? Qt::SplitHCursor : Qt::ArrowCursor);
      return false;
    case QEvent::MouseButtonRelease:
      sizingColumn_ = -1;
      return false;
    default:
      if (onEdge) sizingColumn_ = index.column();
      if (onHeader && index.row() == 0 && SortOps != TSortops::soNon) HeaderClick(index.column());
      return false;
  }
}

void TStrSortGrid::HeaderClick(int col) {
  sortedColumn_ = col;
  sortedHeader_ = GetCell(col, 0);
  sorted_ = true;
  switch (SortOps) {
    case TSortops::soUponly: ascending_ = true; break;
    case TSortops::soDownOnly: ascending_ = false; break;
    default: ascending_ = !ascending_; break;
  }
  SortRange(col, 1, rowCount() - 2);
  viewport()->update();
}

void TStrSortGrid::SortRange(int col, int first, int last) {
  if (first >= last || col < 0 || col >= columnCount()) return;
  const int count = last - first + 1;
  std::vector<std::string> keys;
  keys.reserve(static_cast<size_t>(count));
  for (int r = first; r <= last; ++r) keys.push_back(GridSortKey(GetCell(col, r)));
  const std::vector<int> order = SortedRowOrder(keys);
  std::vector<QTableWidgetItem*> rows(static_cast<size_t>(count) * static_cast<size_t>(columnCount()));
  const auto slot = [&](int k, int c) -> QTableWidgetItem*& {
    return rows[static_cast<size_t>(k) * static_cast<size_t>(columnCount()) + static_cast<size_t>(c)];
  };
  for (int k = 0; k < count; ++k)
    for (int c = 0; c < columnCount(); ++c) slot(k, c) = takeItem(first + k, c);
  for (int k = 0; k < count; ++k) {
    const int from = order[static_cast<size_t>(ascending_ ? k : count - 1 - k)];
    for (int c = 0; c < columnCount(); ++c) setItem(first + k, c, slot(from, c));
  }
}

void TStrSortGrid::SelectRow(int row) {
  if (row < fixedRows_ || row >= rowCount()) return;
  setCurrentCell(row, std::max(0, currentColumn()));
  selectRow(row);
}

QRect TStrSortGrid::GlyphRect(const QRect& cell, int textWidth) const {
  return QRect(cell.left() + textWidth + 1 + Spacing, cell.top() + 2, kGlyphSize, kGlyphSize);
}

// ---- cells ----

void TStrSortGrid::MarkFixedCells() {
  for (int r = 0; r < std::min(fixedRows_, rowCount()); ++r) {
    for (int c = 0; c < columnCount(); ++c) {
      QTableWidgetItem* cell = item(r, c);
      if (!cell) {
        cell = new QTableWidgetItem();
        setItem(r, c, cell);
      }
      cell->setFlags(Qt::NoItemFlags);
    }
  }
  if (currentRow() < fixedRows_ && rowCount() > fixedRows_ && columnCount() > 0)
    setCurrentCell(fixedRows_, std::max(0, currentColumn()));
}

void TStrSortGrid::SetSize(int rows, int cols) {
  setRowCount(std::max(0, rows));
  setColumnCount(std::max(0, cols));
  MarkFixedCells();
}

void TStrSortGrid::SetFixed(int rows, int) {
  for (int r = 0; r < std::min(fixedRows_, rowCount()); ++r)
    for (int c = 0; c < columnCount(); ++c)
      if (QTableWidgetItem* cell = item(r, c)) cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  fixedRows_ = std::max(0, rows);
  MarkFixedCells();
}

std::string TStrSortGrid::GetCell(int col, int row) const {
  const QTableWidgetItem* cell = item(row, col);
  return cell ? QStringToSjis(cell->text()) : std::string();
}

void TStrSortGrid::SetCell(int col, int row, const std::string& text) {
  if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return;
  if (QTableWidgetItem* cell = item(row, col)) {
    cell->setText(SjisToQString(text));
    return;
  }
  auto* cell = new QTableWidgetItem(SjisToQString(text));
  if (row < fixedRows_) cell->setFlags(Qt::NoItemFlags);
  setItem(row, col, cell);
}

int TStrSortGrid::TextWidth(const std::string& text) const {
  return QFontMetrics(font()).horizontalAdvance(SjisToQString(text));
}

// The height of the font's glyph box: a row that height and 4 pixels holds
// the text drawn 2 pixels below its top.
int TStrSortGrid::FontHeight() const { return QFontMetrics(font()).height(); }

void TStrSortGrid::SetDefaultRowHeight(int height) { verticalHeader()->setDefaultSectionSize(std::max(1, height)); }

}  // namespace nura
