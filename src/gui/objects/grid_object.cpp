// グリッド (kind 8): the sortable grid, one fixed row, whole-row selection.
// Its text is CSV: writing shows a table with columns as wide as their
// texts, reading writes every cell.
#include "support/csv_db.h"
#include "gui/objects/object_kinds.h"
#include "gui/objects/object_registry.h"
#include "gui/str_sort_grid.h"

namespace nura {
namespace {

class TGridObject : public TGuiObject {
 public:
  explicit TGridObject(TStrSortGrid* grid) : TGuiObject(TObjectKind::Grid, grid, true) {}
  TStrSortGrid* Grid() const { return static_cast<TStrSortGrid*>(Widget()); }

  void ShowCsv(const std::string& text) const {
    TCsvDb table;
    table.SetCsvText(text);
    table.ShowInGrid(*Grid(), true);
  }
  // Every cell as CSV; `trimmed` drops blank rows at both ends.
  std::string Csv(bool trimmed) const {
    TCsvDb table;
    table.LoadFromGrid(*Grid());
    if (trimmed) table.TrimBlankRows();
    return table.GetCsvText();
  }
  // The text, the value and their assignment are CSV.
  std::optional<std::string> Caption() const override { return Csv(false); }
  void SetCaption(const std::string& text) override { ShowCsv(text); }


  TReadResult Read(TProperty p, TPropertyValue& out) override {
    switch (p) {
      case TProperty::Items: out.Set(Csv(true), "s"); return TReadResult::Done;
      case TProperty::Value:
      case TProperty::Row:
        out.Number(Grid()->currentRow());
        return TReadResult::Done;
      case TProperty::Column: out.Number(Grid()->currentColumn()); return TReadResult::Done;
      case TProperty::Editable:
        out.Flag(Grid()->editTriggers() != QAbstractItemView::NoEditTriggers);
        return TReadResult::Done;
      default: return TGuiObject::Read(p, out);
    }
  }

  TWriteResult Write(TProperty p, TPropertyInput& in) override {
    switch (p) {
      case TProperty::Items:
        in.StoreValue();
        ShowCsv(in.Text());
        return TWriteResult::Done;
      case TProperty::Value: {
        in.StoreValue();
        const int n = in.Integer(-1);
        if (n >= 0 && n < Grid()->rowCount()) Grid()->SelectRow(std::max(n, 1));
        return TWriteResult::Done;
      }
      case TProperty::Row:
        Grid()->SelectRow(in.Integer(0));
        return TWriteResult::Done;
      case TProperty::Column:
        Grid()->setCurrentCell(std::max(Grid()->currentRow(), Grid()->FixedRows()), in.Integer(0));
        return TWriteResult::Done;
      case TProperty::Editable:
        in.StoreValue();
        SetEditing(in.Number());
        return TWriteResult::Done;
      case TProperty::Sort:
        Grid()->SortOps = in.Integer(0) != 0 ? TSortops::soBoth : TSortops::soNon;
        return TWriteResult::Done;
      default:
        return TGuiObject::Write(p, in);
    }
  }

  void Empty() override { Grid()->setRowCount(0); }

 protected:
  unsigned Events() const override { return kOnClick | kOnDblClick | kOnMouse | kOnKeys; }
  // Header clicks sort before the object's mouse events run.
  void ConnectSignals() override { Grid()->HandleMouseFirst(); }
  bool HasFont() const override { return true; }
  bool HasColour() const override { return true; }
  QPalette::ColorRole ColourRole() const override { return QPalette::Base; }

 private:
  // Below 1: no editing, whole rows selected; else cells are edited (the
  // editor opens at once when n > 0).
  void SetEditing(int n) {
    TStrSortGrid& grid = *Grid();
    if (n < 1) {
      grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
      grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    } else {
      grid.setEditTriggers(QAbstractItemView::AllEditTriggers);
      grid.setSelectionBehavior(QAbstractItemView::SelectItems);
      if (grid.currentIndex().isValid()) grid.edit(grid.currentIndex());
    }
    grid.viewport()->update();
  }
};

std::unique_ptr<TGuiObject> MakeGrid(const TObjectRecipe& recipe) {
  auto* grid = new TStrSortGrid(ObjectParent(recipe));
  grid->resize(320, 120);
  auto object = std::make_unique<TGridObject>(grid);
  ApplyRecipeFont(*object, recipe);
  return object;
}

}  // namespace

void RegisterGridKind() { RegisterObjectKind(TObjectKind::Grid, MakeGrid); }

}  // namespace nura
