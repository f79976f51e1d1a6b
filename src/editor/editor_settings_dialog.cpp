#include "editor/editor_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "editor/color_manager.h"
#include "editor/editor_text.h"
#include "engine/errors.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

const char* const kBadBracket = "空白・同一の LeftBracket, RightBracket は指定出来ません。";

// The entries of the colour list of the "View Marks" page.
const QStringList kColorEntries = {"Color", "Ank",  "Comment", "DBCS",   "Int",     "Str",
                                   "Symbol", "Reserve", "Url", "Mail",   "Select",  "Hit",
                                   "EofMark", "RetMark", "WrapMark", "HideMark", "Underline"};
constexpr int kFirstMarkEntry = 12;

// Point size and pixel height (negative: character height) at 96 dots an inch.
int HeightToSize(int height) { return static_cast<int>(std::lround(std::abs(height) * 72.0 / 96.0)); }
int SizeToHeight(int size) { return -static_cast<int>(std::lround(size * 96.0 / 72.0)); }

QString ColorName(TColor c) {
  const auto ident = ColorToIdent(c);
  if (ident) return QString::fromLatin1(ident->data(), static_cast<qsizetype>(ident->size()));
  return QString("$%1").arg(static_cast<uint32_t>(c), 8, 16, QChar('0')).toUpper().replace("X", "x");
}

QString StyleNames(int32_t style) {
  QStringList names;
  for (size_t i = 0; i < kFontStyleNames.size(); ++i) {
    if (style & (1 << i)) names << QString::fromLatin1(kFontStyleNames[i].data(), static_cast<qsizetype>(kFontStyleNames[i].size()));
  }
  return "[ " + names.join(", ") + " ]";
}

// The lines of an editor, empty ones left out.
std::vector<std::string> EditorLines(const TEditor& editor) {
  std::vector<std::string> out;
  for (int r = 0; r < editor.RowCount(); ++r) {
    if (!editor.RowText(r).empty()) out.push_back(editor.RowText(r));
  }
  return out;
}

// The row marks the ruler preview shows in its image bar.
void PutSampleRowMarks(TEditor& editor) {
  for (const auto& [row, mark] : {std::pair{1, 0}, {3, 3}, {4, 4}, {15, 4}, {12, 6}}) editor.PutRowMark(row, mark);
}

std::string JoinLines(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& s : list) out += s + "\r\n";
  return out;
}

// The sample of the colours and ruler previews: every kind of token, with
// the current quotation, hex prefix and comment prefix.
std::string ColorSampleText(TEditorProp& prop) {
  TEditorViewInfo& v = prop.View();
  const std::string quote = v.Quotation().empty() ? "\"" : v.Quotation();
  const std::string reserved = prop.ReserveWordList().empty() ? SJ("予約語") : prop.ReserveWordList().front();
  std::vector<std::string> lines = {
      quote + SJ("文字列") + quote + " #13#10",
      "12345 " + v.HexPrefix() + "FF",
      SJ("{ 括弧 } 「括弧」"),
      v.Commenter() + SJ(" コメント行"),
      "http://www.example.com/",
      "mail@example.com",
      SJ("全角文字列　ＡＢＣ"),
      reserved + SJ(" 予約語"),
      SJ("選択領域 検索一致文字"),
  };
  while (lines.size() < 17) lines.emplace_back("abc");
  return JoinLines(lines);
}

// A page of two columns.
struct TPageColumns {
  QWidget* page;
  QVBoxLayout* left;
  QVBoxLayout* right;
};

TPageColumns TwoColumns() {
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  layout->addLayout(left);
  layout->addLayout(right);
  return {page, left, right};
}

}  // namespace

// ---- the form ----

TFormViewEditor::TFormViewEditor(QWidget* parent)
    : QDialog(parent),
      prop_(std::make_unique<TEditorProp>()),
      editorColor_(std::make_unique<TFountainColor>()),
      rulerColor_(std::make_unique<TFountainColor>()),
      leftbarColor_(std::make_unique<TFountainColor>()),
      rulerMark_(std::make_unique<TEditorMark>()) {
  setObjectName("TFormViewEditor");
  setWindowTitle("TEditor");
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  layout->addWidget(pages_);
  pages_->addTab(FontPage(), "Font");
  pages_->addTab(CaretPage(), "Caret");
  pages_->addTab(ViewMarksPage(), "View Marks");
  pages_->addTab(LeftbarRulerMarginPage(), "Leftbar Ruler Margin");
  pages_->addTab(BracketsPage(), "Brackets");
  pages_->addTab(ReserveWordListPage(), "ReserveWordList");
  pages_->addTab(WordWrapPage(), "WordWrap");
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OK");
  ok->setDefault(true);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("Cancel");
  QPushButton* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  help->setObjectName("Help");
  connect(buttons, &QDialogButtonBox::accepted, this, &TFormViewEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFormViewEditor::reject);
  connect(help, &QPushButton::clicked, this, [this] {
    QMessageBox::information(this, "Help",
                             U("エディタの設定を各ページで変更します。変更はすぐに見本に表示され、"
                               "OK で設定されます。Cancel では何も変わりません。"));
  });
  layout->addWidget(buttons);
}

TFormViewEditor::~TFormViewEditor() = default;

QString TFormViewEditor::FirstPageOf(const TPersistent* object) {
  if (dynamic_cast<const TEditorCaret*>(object)) return "Caret";
  if (dynamic_cast<const TEditorLeftbar*>(object) || dynamic_cast<const TEditorRuler*>(object) ||
      dynamic_cast<const TEditorMargin*>(object))
    return "Leftbar Ruler Margin";
  if (dynamic_cast<const TEditorBracketCollection*>(object)) return "Brackets";
  if (dynamic_cast<const TEditorWrapOption*>(object)) return "WordWrap";
  if (dynamic_cast<const TEditorFont*>(object)) return "Font";
  return "View Marks";
}

bool TFormViewEditor::ExecuteDialog(TEditorProp& settings, const TPersistent* firstPage, bool showFileExt) {
  target_ = &settings;
  prop_->Assign(settings);
  fileExtGroup_->setVisible(showFileExt);
  Fill();
  const QString first = FirstPageOf(firstPage);
  for (int i = 0; i < pages_->count(); ++i) {
    if (pages_->tabText(i) == first) pages_->setCurrentIndex(i);
  }
  PutSampleRowMarks(*rulerSample_);
  const bool ok = exec() == QDialog::Accepted;
  target_ = nullptr;
  return ok;
}

void TFormViewEditor::Fill() {
  filling_ = true;
  TEditorProp& p = *prop_;
  editorColor_->SetBkColor(p.Color());
  editorColor_->SetColor(p.Font().Color());
  editorColor_->SetStyle(p.Font().Style());
  rulerColor_->SetBkColor(p.Ruler().BkColor());
  rulerColor_->SetColor(p.Ruler().Color());
  rulerMark_->SetColor(p.Ruler().MarkColor());
  leftbarColor_->SetBkColor(p.Leftbar().BkColor());
  leftbarColor_->SetColor(p.Leftbar().Color());
  for (const auto& fill : fillers_) fill();
  FillFontNames();
  fontSize_->setCurrentText(QString::number(HeightToSize(p.Font().Height())));
  fileExtEditor_->SetText(JoinLines(p.FileExtList()));
  reserveEditor_->SetText(JoinLines(p.ReserveWordList()));
  FillBracketList(0);
  colorList_->setCurrentRow(0);
  SelectColorEntry(0);
  rulerList_->setCurrentRow(0);
  SelectRulerEntry(0);
  filling_ = false;
  RefreshPreviews();
}

void TFormViewEditor::Changed() {
  if (!filling_) RefreshPreviews();
}

void TFormViewEditor::RefreshPreviews() {
  const std::string sample = ColorSampleText(*prop_);
  for (TEditor* e : {fontSample_, caretSample_, colorSample_, rulerSample_}) {
    prop_->AssignToEditor(*e);
    if ((e == colorSample_ || e == rulerSample_) && e->Text() != sample) {
      e->SetText(sample);
      if (e == rulerSample_) PutSampleRowMarks(*e);
    }
    e->viewport()->update();
  }
  // The text editors of the page take the font only.
  for (TEditor* e : {fileExtEditor_, reserveEditor_}) e->Font().Assign(prop_->Font());
}

void TFormViewEditor::WriteBackHolders() {
  TEditorProp& p = *prop_;
  p.SetColor(editorColor_->BkColor());
  p.Font().SetColor(editorColor_->Color());
  p.Font().SetStyle(editorColor_->Style());
  p.Ruler().SetBkColor(rulerColor_->BkColor());
  p.Ruler().SetColor(rulerColor_->Color());
  p.Ruler().SetMarkColor(rulerMark_->Color());
  p.Leftbar().SetBkColor(leftbarColor_->BkColor());
  p.Leftbar().SetColor(leftbarColor_->Color());
}

// ---- bound controls ----

QCheckBox* TFormViewEditor::Check(QLayout* layout, const QString& name, std::function<bool()> get,
                                  std::function<void(bool)> set) {
  auto* box = new QCheckBox(name.section('.', -1));
  box->setObjectName(name);
  layout->addWidget(box);
  fillers_.push_back([box, get] { box->setChecked(get()); });
  connect(box, &QCheckBox::toggled, this, [this, set](bool on) {
    if (filling_) return;
    set(on);
    Changed();
  });
  return box;
}

QSpinBox* TFormViewEditor::Spin(QFormLayout* layout, const QString& name, int low, int high, int step,
                                std::function<int()> get, std::function<void(int)> set) {
  auto* spin = new QSpinBox;
  spin->setObjectName(name);
  spin->setRange(low, high);
  spin->setSingleStep(step);
  layout->addRow(name.section('.', -1), spin);
  fillers_.push_back([spin, get] { spin->setValue(get()); });
  connect(spin, &QSpinBox::valueChanged, this, [this, set](int v) {
    if (filling_) return;
    set(v);
    Changed();
  });
  return spin;
}

QGroupBox* TFormViewEditor::Radio(QLayout* layout, const QString& name, const QStringList& choices,
                                  std::function<int()> get, std::function<void(int)> set) {
  auto* group = new QGroupBox(name.section('.', -1));
  group->setObjectName(name);
  auto* box = new QHBoxLayout(group);
  auto* buttons = new QButtonGroup(group);
  for (int i = 0; i < choices.size(); ++i) {
    auto* radio = new QRadioButton(choices[i]);
    radio->setObjectName(choices[i]);
    buttons->addButton(radio, i);
    box->addWidget(radio);
  }
  layout->addWidget(group);
  fillers_.push_back([buttons, get] {
    if (QAbstractButton* b = buttons->button(get())) b->setChecked(true);
  });
  connect(buttons, &QButtonGroup::idToggled, this, [this, set](int id, bool on) {
    if (filling_ || !on) return;
    set(id);
    Changed();
  });
  return group;
}

QLineEdit* TFormViewEditor::Edit(QFormLayout* layout, const QString& name, std::function<std::string()> get,
                                 std::function<void(const std::string&)> set) {
  auto* edit = new QLineEdit;
  edit->setObjectName(name);
  layout->addRow(name.section('.', -1), edit);
  fillers_.push_back([edit, get] { edit->setText(SjisToQString(get())); });
  connect(edit, &QLineEdit::textChanged, this, [this, set](const QString& text) {
    if (filling_) return;
    set(QStringToSjis(text));
    Changed();
  });
  return edit;
}

TEditor* TFormViewEditor::Preview(QLayout* layout, const char* name) {
  auto* editor = new TEditor;
  editor->setObjectName(name);
  editor->setMinimumSize(260, 120);
  layout->addWidget(editor);
  return editor;
}

void TFormViewEditor::SameButtons(QBoxLayout* layout, const QString& prefix, std::function<void(int)> apply) {
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  const char* names[] = {"SameBkColor", "SameColor", "SameStyle"};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(names[i]);
    button->setObjectName(prefix + names[i]);
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, [apply, i] { apply(i); });
  }
}

void TFormViewEditor::ColorList(QBoxLayout* layout, const char* name, const QStringList& entries,
                                const char* managerName, QListWidget*& list, TEditorColorManager*& manager,
                                std::function<void(int)> select) {
  list = new QListWidget;
  list->setObjectName(name);
  list->addItems(entries);
  layout->addWidget(list);
  manager = new TEditorColorManager;
  manager->setObjectName(managerName);
  manager->OnColorChanged = [this] {
    WriteBackHolders();
    Changed();
  };
  layout->addWidget(manager);
  connect(list, &QListWidget::currentRowChanged, this, std::move(select));
}

// ---- pages ----

QWidget* TFormViewEditor::FontPage() {
  const auto [page, left, right] = TwoColumns();
  auto* fontForm = new QFormLayout;
  left->addLayout(fontForm);
  fontName_ = new QComboBox;
  fontName_->setObjectName("FontName");
  fontForm->addRow("Font", fontName_);
  variablePitch_ = new QCheckBox("Variable Pitch Font");
  variablePitch_->setObjectName("Variable Pitch Font");
  fontForm->addRow(variablePitch_);
  fontSize_ = new QComboBox;
  fontSize_->setObjectName("FontSize");
  fontSize_->setEditable(true);
  for (int size = 8; size <= 50; ++size) fontSize_->addItem(QString::number(size));
  fontForm->addRow("Size", fontSize_);
  connect(fontName_, &QComboBox::currentTextChanged, this, [this] { ApplyFontName(); });
  connect(variablePitch_, &QCheckBox::toggled, this, [this] { FillFontNames(); });
  connect(fontSize_, &QComboBox::currentTextChanged, this, [this] { ApplyFontSize(); });
  TEditorProp& p = *prop_;
  Radio(left, "ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
        [&p] { return static_cast<int>(p.ScrollBars()); }, [&p](int v) { p.SetScrollBars(static_cast<TScrollStyle>(v)); });
  auto* speed = new QGroupBox("TEditorSpeed");
  auto* speedForm = new QFormLayout(speed);
  Check(speedForm, "InitBracketsFull", [&p] { return p.Speed().InitBracketsFull(); },
        [&p](bool v) { p.Speed().SetInitBracketsFull(v); });
  Spin(speedForm, "CaretVerticalAc", 1, 4, 1, [&p] { return p.Speed().CaretVerticalAc(); },
       [&p](int v) { p.Speed().SetCaretVerticalAc(v); });
  Spin(speedForm, "PageVerticalRange", 1, 4, 1, [&p] { return p.Speed().PageVerticalRange(); },
       [&p](int v) { p.Speed().SetPageVerticalRange(v); });
  Spin(speedForm, "PageVerticalRangeAc", 1, 4, 1, [&p] { return p.Speed().PageVerticalRangeAc(); },
       [&p](int v) { p.Speed().SetPageVerticalRangeAc(v); });
  left->addWidget(speed);
  fontSample_ = Preview(right, "FontSample");
  fontSample_->SetText(SJ("ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\nabcdefghijklmnopqrstuvwxyz\r\n"
                          "あいうえおかきくけこ\r\nアイウエオカキクケコ\r\n"));
  fileExtGroup_ = new QGroupBox("FileExtList");
  fileExtGroup_->setObjectName("FileExtList");
  auto* extLayout = new QVBoxLayout(fileExtGroup_);
  fileExtEditor_ = Preview(extLayout, "FileExtEditor");
  right->addWidget(fileExtGroup_);
  return page;
}

void TFormViewEditor::FillFontNames() {
  const QString current = SjisToQString(prop_->Font().Name());
  const bool wasFilling = filling_;
  filling_ = true;
  fontName_->clear();
  QStringList names;
  for (const QString& family : QFontDatabase::families()) {
    if (family.startsWith('@')) continue;
    if (!variablePitch_->isChecked() && !QFontDatabase::isFixedPitch(family)) continue;
    names << family;
  }
  // The settings' own name stays selectable when the system lacks it.
  if (!wasFilling || names.contains(current)) {
    fontName_->addItems(names);
  } else {
    fontName_->addItems(QStringList{current} + names);
  }
  const int at = fontName_->findText(current);
  fontName_->setCurrentIndex(at >= 0 ? at : 0);
  filling_ = wasFilling;
  if (at < 0) ApplyFontName();
}

void TFormViewEditor::ApplyFontName() {
  if (filling_ || fontName_->currentText().isEmpty()) return;
  prop_->Font().SetName(QStringToSjis(fontName_->currentText()));
  Changed();
}

void TFormViewEditor::ApplyFontSize() {
  if (filling_) return;
  bool ok = false;
  int size = fontSize_->currentText().trimmed().toInt(&ok);
  if (!ok || size <= 0) size = 10;
  prop_->Font().SetHeight(SizeToHeight(size));
  Changed();
}

QWidget* TFormViewEditor::CaretPage() {
  const auto [page, left, right] = TwoColumns();
  TEditorCaret& c = prop_->Caret();
  using Getter = bool (TEditorCaret::*)() const;
  using Setter = void (TEditorCaret::*)(bool);
  const std::tuple<const char*, Getter, Setter> flags[] = {
      {"FreeCaret", &TEditorCaret::FreeCaret, &TEditorCaret::SetFreeCaret},
      {"AutoIndent", &TEditorCaret::AutoIndent, &TEditorCaret::SetAutoIndent},
      {"BackSpaceUnIndent", &TEditorCaret::BackSpaceUnIndent, &TEditorCaret::SetBackSpaceUnIndent},
      {"InTab", &TEditorCaret::InTab, &TEditorCaret::SetInTab},
      {"KeepCaret", &TEditorCaret::KeepCaret, &TEditorCaret::SetKeepCaret},
      {"LockScroll", &TEditorCaret::LockScroll, &TEditorCaret::SetLockScroll},
      {"NextLine", &TEditorCaret::NextLine, &TEditorCaret::SetNextLine},
      {"TabIndent", &TEditorCaret::TabIndent, &TEditorCaret::SetTabIndent},
      {"PrevSpaceIndent", &TEditorCaret::PrevSpaceIndent, &TEditorCaret::SetPrevSpaceIndent},
      {"SoftTab", &TEditorCaret::SoftTab, &TEditorCaret::SetSoftTab},
      {"RowSelect", &TEditorCaret::RowSelect, &TEditorCaret::SetRowSelect},
      {"SelMove", &TEditorCaret::SelMove, &TEditorCaret::SetSelMove},
      {"AutoCursor", &TEditorCaret::AutoCursor, &TEditorCaret::SetAutoCursor},
      {"FreeRow", &TEditorCaret::FreeRow, &TEditorCaret::SetFreeRow},
  };
  for (const auto& [name, get, set] : flags) {
    Check(left, name, [&c, get = get] { return (c.*get)(); }, [&c, set = set](bool v) { (c.*set)(v); });
  }
  auto* form = new QFormLayout;
  right->addLayout(form);
  Spin(form, "TabSpaceCount", 2, 8, 2, [&c] { return c.TabSpaceCount(); }, [&c](int v) { c.SetTabSpaceCount(v); });
  Radio(right, "Style", {"csDefault", "csBrief"}, [&c] { return static_cast<int>(c.Style()); },
        [&c](int v) { c.SetStyle(static_cast<TEditorCaretStyle>(v)); });
  Radio(right, "SelDragMode", {"dmManual", "dmAutomatic"}, [&c] { return static_cast<int>(c.SelDragMode()); },
        [&c](int v) { c.SetSelDragMode(static_cast<TDragMode>(v)); });
  QStringList cursorNames;
  GetEditorCursorValues([&](std::string_view name) {
    cursorNames << QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
  });
  TEditorCursors& k = c.Cursors();
  using CGet = TCursor (TEditorCursors::*)() const;
  using CSet = void (TEditorCursors::*)(TCursor);
  const std::tuple<const char*, CGet, CSet> cursors[] = {
      {"DefaultCursor", &TEditorCursors::DefaultCursor, &TEditorCursors::SetDefaultCursor},
      {"DragSelCursor", &TEditorCursors::DragSelCursor, &TEditorCursors::SetDragSelCursor},
      {"DragSelCopyCursor", &TEditorCursors::DragSelCopyCursor, &TEditorCursors::SetDragSelCopyCursor},
      {"InSelCursor", &TEditorCursors::InSelCursor, &TEditorCursors::SetInSelCursor},
      {"LeftMarginCursor", &TEditorCursors::LeftMarginCursor, &TEditorCursors::SetLeftMarginCursor},
      {"TopMarginCursor", &TEditorCursors::TopMarginCursor, &TEditorCursors::SetTopMarginCursor},
  };
  for (const auto& [name, get, set] : cursors) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->addItems(cursorNames);
    form->addRow(name, combo);
    fillers_.push_back([combo, &k, get = get] {
      const auto ident = EditorCursorToIdent((k.*get)());
      combo->setCurrentText(ident ? QString::fromLatin1(ident->data(), static_cast<qsizetype>(ident->size())) : QString());
    });
    connect(combo, &QComboBox::currentTextChanged, this, [this, &k, set = set](const QString& text) {
      if (filling_) return;
      if (const auto value = EditorIdentToCursor(text.toStdString())) (k.*set)(*value);
      Changed();
    });
  }
  caretSample_ = Preview(right, "CaretSample");
  caretSample_->SetText(SJ("\tTab\r\n    Indent\r\nキャレットの見本\r\n"));
  return page;
}

QWidget* TFormViewEditor::ViewMarksPage() {
  const auto [page, left, right] = TwoColumns();
  ColorList(left, "ColorList", kColorEntries, "ColorManager", colorList_, colorManager_,
            [this](int row) { SelectColorEntry(row); });
  SameButtons(left, "View.", [this](int what) { SameForView(what); });
  TEditorProp& p = *prop_;
  auto* marks = new QGroupBox("Marks");
  auto* marksLayout = new QHBoxLayout(marks);
  using MarkOf = TEditorMark& (TEditorMarks::*)();
  const std::pair<const char*, MarkOf> markBoxes[] = {{"RetMark", &TEditorMarks::RetMark},
                                                      {"EofMark", &TEditorMarks::EofMark},
                                                      {"WrapMark", &TEditorMarks::WrapMark},
                                                      {"UnderLine", &TEditorMarks::Underline},
                                                      {"HideMark", &TEditorMarks::HideMark}};
  for (const auto& [name, mark] : markBoxes) {
    Check(marksLayout, QString("Marks.") + name, [&p, mark = mark] { return (p.Marks().*mark)().Visible(); },
          [&p, mark = mark](bool v) { (p.Marks().*mark)().SetVisible(v); });
  }
  right->addWidget(marks);
  auto* view = new QGroupBox("View");
  auto* viewForm = new QFormLayout(view);
  TEditorViewInfo& v = p.View();
  Check(viewForm, "Mail", [&v] { return v.Mail(); }, [&v](bool on) { v.SetMail(on); });
  Check(viewForm, "Url", [&v] { return v.Url(); }, [&v](bool on) { v.SetUrl(on); });
  Check(viewForm, "ControlCode(#)", [&v] { return v.ControlCode(); }, [&v](bool on) { v.SetControlCode(on); });
  Edit(viewForm, "HexPrefix", [&v] { return v.HexPrefix(); }, [&v](const std::string& s) { v.SetHexPrefix(s); });
  QLineEdit* quotation =
      Edit(viewForm, "Quotation", [&v] { return v.Quotation(); }, [&v](const std::string& s) { v.SetQuotation(s); });
  quotation->setMaxLength(1);
  Edit(viewForm, "Commenter", [&v] { return v.Commenter(); }, [&v](const std::string& s) { v.SetCommenter(s); });
  right->addWidget(view);
  Radio(right, "HitStyle", {"hsSelect", "hsDraw", "hsCaret"}, [&p] { return static_cast<int>(p.HitStyle()); },
        [&p](int s) { p.SetHitStyle(static_cast<TEditorHitStyle>(s)); });
  colorSample_ = Preview(right, "ColorSample");
  colorSample_->OnDrawLine = [this](QPainter& painter, const std::string& line, int x, int y, int, const QRect&, bool) {
    PaintSelectionSample(*colorSample_, painter, line, x, y);
  };
  return page;
}

void TFormViewEditor::SelectColorEntry(int index) {
  TEditorColors& colors = prop_->View().Colors();
  TFountainColor* const tokens[] = {editorColor_.get(), &colors.Ank(), &colors.Comment(), &colors.DBCS(),
                                    &colors.Int(),      &colors.Str(), &colors.Symbol(),  &colors.Reserve(),
                                    &colors.Url(),      &colors.Mail(), &colors.Select(), &colors.Hit()};
  TEditorMarks& m = prop_->Marks();
  TEditorMark* const marks[] = {&m.EofMark(), &m.RetMark(), &m.WrapMark(), &m.HideMark(), &m.Underline()};
  if (index >= 0 && index < kFirstMarkEntry) {
    colorManager_->EditColor(tokens[index]);
  } else if (index >= kFirstMarkEntry && index < kColorEntries.size()) {
    colorManager_->EditMark(marks[index - kFirstMarkEntry]);
  } else {
    colorManager_->Clear();
  }
}

// The words "選択領域" and "検索一致文字" of the sample in the selection and
// hit colours (clNone: the font colour as background, the editor colour as
// text); the hit colours follow the hit style.
void TFormViewEditor::PaintSelectionSample(TEditor& editor, QPainter& p, const std::string& line, int x, int y) {
  TEditorProp& prop = *prop_;
  const QColor editorColour = ColorToQColor(prop.Color()).isValid() ? ColorToQColor(prop.Color()) : QColor(Qt::white);
  const QColor fontColour =
      ColorToQColor(prop.Font().Color()).isValid() ? ColorToQColor(prop.Font().Color()) : QColor(Qt::black);
  const auto pick = [&](TColor c, const QColor& none) { return ColorToQColor(c).isValid() ? ColorToQColor(c) : none; };
  TEditorColors& colors = prop.View().Colors();
  const QColor selBack = pick(colors.Select().BkColor(), fontColour), selFore = pick(colors.Select().Color(), editorColour);
  QColor hitBack = selBack, hitFore = selFore;
  if (prop.HitStyle() == TEditorHitStyle::hsDraw) {
    hitBack = pick(colors.Hit().BkColor(), fontColour);
    hitFore = pick(colors.Hit().Color(), editorColour);
  } else if (prop.HitStyle() == TEditorHitStyle::hsCaret) {
    const auto inverse = [](const QColor& c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); };
    hitBack = inverse(editorColour);
    hitFore = inverse(fontColour);
  }
  const auto paintWord = [&](const char* utf8, const QColor& back, const QColor& fore) {
    const std::string word = SJ(utf8);
    const size_t at = line.find(word);
    if (at == std::string::npos) return;
    const QRect cell(x + static_cast<int>(at) * editor.CharWidth(), y,
                     static_cast<int>(word.size()) * editor.CharWidth(), editor.RowHeight());
    p.fillRect(cell, back);
    p.setPen(fore);
    p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, SjisToQString(word));
  };
  paintWord("選択領域", selBack, selFore);
  paintWord("検索一致文字", hitBack, hitFore);
}

bool TFormViewEditor::Confirm(const QString& text) {
  return QMessageBox::question(this, "Confirm", text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
         QMessageBox::Ok;
}

void TFormViewEditor::ShowError(const QString& text) { QMessageBox::critical(this, "Error", text); }

// On "Color" the buttons reset to clNone (no style); on "Ank" to "Mail"
// they give every token colour the entry's value; other entries do nothing.
void TFormViewEditor::SameForView(int what) {
  const int index = colorList_->currentRow();
  if (index < 0 || index > 9) return;
  TEditorFountain& fountain = prop_->View().Fountain();
  TEditorColors& colors = prop_->View().Colors();
  TFountainColor* const tokens[] = {nullptr,       &colors.Ank(), &colors.Comment(), &colors.DBCS(), &colors.Int(),
                                    &colors.Str(), &colors.Symbol(), &colors.Reserve(), &colors.Url(), &colors.Mail()};
  const TFountainColor* color = tokens[index];
  if (what == 0) {
    const TColor value = color ? color->BkColor() : clNone;
    if (Confirm("Change all BkColor to " + ColorName(value))) fountain.SetAllBkColor(value);
  } else if (what == 1) {
    const TColor value = color ? color->Color() : clNone;
    if (Confirm("Change all Color to " + ColorName(value))) fountain.SetAllColor(value);
  } else {
    const int32_t value = color ? color->Style() : 0;
    if (Confirm("Change all Style to " + StyleNames(value))) fountain.SetAllStyle(value);
  }
  SelectColorEntry(index);
  Changed();
}

QWidget* TFormViewEditor::LeftbarRulerMarginPage() {
  const auto [page, left, right] = TwoColumns();
  ColorList(left, "RulerList", {"Ruler", "Ruler.MarkColor", "Leftbar"}, "RulerColorManager", rulerList_,
            rulerManager_, [this](int row) { SelectRulerEntry(row); });
  TEditorProp& p = *prop_;
  auto* ruler = new QGroupBox("Ruler");
  auto* rulerForm = new QFormLayout(ruler);
  TEditorRuler& r = p.Ruler();
  Check(rulerForm, "Ruler.Visible", [&r] { return r.Visible(); }, [&r](bool v) { r.SetVisible(v); });
  Check(rulerForm, "Ruler.Edge", [&r] { return r.Edge(); }, [&r](bool v) { r.SetEdge(v); });
  Radio(rulerForm, "GaugeRange", {"10", "8"}, [&r] { return r.GaugeRange() == 10 ? 0 : 1; },
        [&r](int v) { r.SetGaugeRange(v == 0 ? 10 : 8); });
  left->addWidget(ruler);
  auto* margin = new QGroupBox("Margin");
  auto* marginForm = new QFormLayout(margin);
  TEditorMargin& m = p.Margin();
  Spin(marginForm, "Margin.Top", 0, 100, 1, [&m] { return m.Top(); }, [&m](int v) { m.SetTop(v); });
  Spin(marginForm, "Margin.Left", 0, 100, 1, [&m] { return m.Left(); }, [&m](int v) { m.SetLeft(v); });
  Spin(marginForm, "Margin.Line", 0, 100, 1, [&m] { return m.Line(); }, [&m](int v) { m.SetLine(v); });
  Spin(marginForm, "Margin.Character", 0, 100, 1, [&m] { return m.Character(); }, [&m](int v) { m.SetCharacter(v); });
  left->addWidget(margin);
  auto* leftbar = new QGroupBox("Leftbar");
  auto* leftbarForm = new QFormLayout(leftbar);
  TEditorLeftbar& l = p.Leftbar();
  Check(leftbarForm, "Leftbar.Visible", [&l] { return l.Visible(); }, [&l](bool v) { l.SetVisible(v); });
  Check(leftbarForm, "Leftbar.Edge", [&l] { return l.Edge(); }, [&l](bool v) { l.SetEdge(v); });
  Check(leftbarForm, "ShowNumber", [&l] { return l.ShowNumber(); }, [&l](bool v) { l.SetShowNumber(v); });
  Check(leftbarForm, "ZeroBase", [&l] { return l.ZeroBase(); }, [&l](bool v) { l.SetZeroBase(v); });
  Check(leftbarForm, "ZeroLead", [&l] { return l.ZeroLead(); }, [&l](bool v) { l.SetZeroLead(v); });
  Radio(leftbarForm, "ShowNumberMode", {"nmRow", "nmLine"}, [&l] { return static_cast<int>(l.ShowNumberMode()); },
        [&l](int v) { l.SetShowNumberMode(static_cast<TEditorShowNumberMode>(v)); });
  Spin(leftbarForm, "Leftbar.Column", 1, 8, 1, [&l] { return l.Column(); }, [&l](int v) { l.SetColumn(v); });
  Spin(leftbarForm, "Leftbar.LeftMargin", 0, 100, 1, [&l] { return l.LeftMargin(); }, [&l](int v) { l.SetLeftMargin(v); });
  Spin(leftbarForm, "Leftbar.RightMargin", 0, 100, 1, [&l] { return l.RightMargin(); },
       [&l](int v) { l.SetRightMargin(v); });
  right->addWidget(leftbar);
  auto* imagebar = new QGroupBox("Imagebar");
  auto* imagebarForm = new QFormLayout(imagebar);
  TEditorImagebar& i = p.Imagebar();
  Check(imagebarForm, "Imagebar.Visible", [&i] { return i.Visible(); }, [&i](bool v) { i.SetVisible(v); });
  Spin(imagebarForm, "Imagebar.DigitWidth", 0, 100, 1, [&i] { return i.DigitWidth(); }, [&i](int v) { i.SetDigitWidth(v); });
  Spin(imagebarForm, "Imagebar.MarkWidth", 0, 100, 1, [&i] { return i.MarkWidth(); }, [&i](int v) { i.SetMarkWidth(v); });
  Spin(imagebarForm, "Imagebar.LeftMargin", 0, 100, 1, [&i] { return i.LeftMargin(); }, [&i](int v) { i.SetLeftMargin(v); });
  Spin(imagebarForm, "Imagebar.RightMargin", 0, 100, 1, [&i] { return i.RightMargin(); },
       [&i](int v) { i.SetRightMargin(v); });
  right->addWidget(imagebar);
  rulerSample_ = Preview(right, "RulerSample");
  rulerSample_->OnDrawLine = [this](QPainter& painter, const std::string& line, int x, int y, int, const QRect&, bool) {
    PaintSelectionSample(*rulerSample_, painter, line, x, y);
  };
  return page;
}

void TFormViewEditor::SelectRulerEntry(int index) {
  if (index == 0) {
    rulerManager_->EditColor(rulerColor_.get());
  } else if (index == 1) {
    rulerManager_->EditMark(rulerMark_.get());
  } else if (index == 2) {
    rulerManager_->EditColor(leftbarColor_.get());
  } else {
    rulerManager_->Clear();
  }
}

// ---- brackets ----

QWidget* TFormViewEditor::BracketsPage() {
  const auto [page, left, right] = TwoColumns();
  bracketList_ = new QListWidget;
  bracketList_->setObjectName("BracketList");
  left->addWidget(bracketList_);
  connect(bracketList_, &QListWidget::currentRowChanged, this, [this](int row) { SelectBracket(row); });
  auto* editRow = new QHBoxLayout;
  left->addLayout(editRow);
  leftBracket_ = new QLineEdit;
  leftBracket_->setObjectName("LeftBracket");
  rightBracket_ = new QLineEdit;
  rightBracket_->setObjectName("RightBracket");
  editRow->addWidget(leftBracket_);
  editRow->addWidget(rightBracket_);
  connect(leftBracket_, &QLineEdit::textChanged, this, [this] { UpdateBracketButtons(); });
  connect(rightBracket_, &QLineEdit::textChanged, this, [this] { UpdateBracketButtons(); });
  auto* buttons = new QHBoxLayout;
  left->addLayout(buttons);
  auto* add = new QPushButton("New");
  add->setObjectName("New");
  removeBracket_ = new QPushButton("Remove");
  removeBracket_->setObjectName("Remove");
  updateBracket_ = new QPushButton("Update");
  updateBracket_->setObjectName("Update");
  for (QPushButton* b : {add, removeBracket_, updateBracket_}) buttons->addWidget(b);
  connect(add, &QPushButton::clicked, this, [this] { NewBracket(); });
  connect(removeBracket_, &QPushButton::clicked, this, [this] { RemoveBracket(); });
  connect(updateBracket_, &QPushButton::clicked, this, [this] { UpdateBracket(); });
  bracketManager_ = new TEditorColorManager;
  bracketManager_->setObjectName("BracketColorManager");
  bracketManager_->OnColorChanged = [this] { Changed(); };
  right->addWidget(bracketManager_);
  SameButtons(right, "Brackets.", [this](int what) { SameForBrackets(what); });
  right->addStretch();
  return page;
}

void TFormViewEditor::FillBracketList(int select) {
  const bool wasFilling = filling_;
  filling_ = true;
  bracketList_->clear();
  TEditorBracketCollection& brackets = prop_->View().Brackets();
  for (int i = 0; i < brackets.Count(); ++i) {
    const TFountainBracketItem& item = brackets.Bracket(i);
    bracketList_->addItem(SjisToQString(item.LeftBracket() + " " + item.RightBracket()));
  }
  filling_ = wasFilling;
  const int index = std::min(select, brackets.Count() - 1);
  bracketList_->setCurrentRow(index);
  SelectBracket(index);
}

void TFormViewEditor::SelectBracket(int index) {
  TEditorBracketCollection& brackets = prop_->View().Brackets();
  const bool valid = index >= 0 && index < brackets.Count();
  leftBracket_->setEnabled(valid);
  rightBracket_->setEnabled(valid);
  removeBracket_->setEnabled(valid);
  if (!valid) {
    leftBracket_->clear();
    rightBracket_->clear();
    bracketManager_->Clear();
    UpdateBracketButtons();
    return;
  }
  TFountainBracketItem& item = brackets.Bracket(index);
  leftBracket_->setText(SjisToQString(item.LeftBracket()));
  rightBracket_->setText(SjisToQString(item.RightBracket()));
  bracketManager_->EditColor(&item.ItemColor());
  UpdateBracketButtons();
}

void TFormViewEditor::UpdateBracketButtons() {
  const QString l = leftBracket_->text(), r = rightBracket_->text();
  updateBracket_->setEnabled(leftBracket_->isEnabled() && !l.isEmpty() && !r.isEmpty() && l != r);
}

void TFormViewEditor::NewBracket() {
  TEditorBracketCollection& brackets = prop_->View().Brackets();
  try {
    brackets.Add();
  } catch (const ERuntimeError& e) {
    ShowError(SjisToQString(e.what()));
    return;
  }
  FillBracketList(brackets.Count() - 1);
  Changed();
}

void TFormViewEditor::RemoveBracket() {
  TEditorBracketCollection& brackets = prop_->View().Brackets();
  const int index = bracketList_->currentRow();
  if (index < 0 || index >= brackets.Count()) return;
  bracketManager_->Clear();
  // Keep the others: re-add every item but the removed one.
  TEditorBracketCollection kept(nullptr);
  for (int i = 0; i < brackets.Count(); ++i) {
    if (i == index) continue;
    auto& item = static_cast<TFountainBracketItem&>(kept.Add());
    item.Assign(brackets.Bracket(i));
  }
  brackets.Assign(kept);
  FillBracketList(std::min(index, brackets.Count() - 1));
  Changed();
}

void TFormViewEditor::UpdateBracket() {
  TEditorBracketCollection& brackets = prop_->View().Brackets();
  const int index = bracketList_->currentRow();
  if (index < 0 || index >= brackets.Count()) return;
  const std::string l = QStringToSjis(leftBracket_->text()), r = QStringToSjis(rightBracket_->text());
  if (l.empty() || r.empty() || l == r) {
    ShowError(U(kBadBracket));
    return;
  }
  brackets.BeginUpdate();
  brackets.Bracket(index).SetLeftBracket(l);
  brackets.Bracket(index).SetRightBracket(r);
  brackets.EndUpdate();
  FillBracketList(index);
  Changed();
}

int TFormViewEditor::FirstBadBracket() const {
  TEditorBracketCollection& brackets = prop_->View().Brackets();
  for (int i = 0; i < brackets.Count(); ++i) {
    const TFountainBracketItem& item = brackets.Bracket(i);
    if (item.LeftBracket().empty() || item.RightBracket().empty() || item.LeftBracket() == item.RightBracket())
      return i;
  }
  return -1;
}

void TFormViewEditor::SameForBrackets(int what) {
  TEditorBracketCollection& brackets = prop_->View().Brackets();
  const int index = bracketList_->currentRow();
  if (index < 0 || index >= brackets.Count()) return;
  const TFountainColor& color = brackets.Bracket(index).ItemColor();
  if (what == 0) {
    if (Confirm("Change all BkColor to " + ColorName(color.BkColor()))) brackets.SetAllBkColor(color.BkColor());
  } else if (what == 1) {
    if (Confirm("Change all Color to " + ColorName(color.Color()))) brackets.SetAllColor(color.Color());
  } else {
    if (Confirm("Change all Style to " + StyleNames(color.Style()))) brackets.SetAllStyle(color.Style());
  }
  SelectBracket(index);
  Changed();
}

// ---- reserved words ----

QWidget* TFormViewEditor::ReserveWordListPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  reserveEditor_ = Preview(layout, "ReserveWordList");
  auto* menu = new QMenu(reserveEditor_);
  QAction* undo = menu->addAction(U("元に戻す"), [this] { reserveEditor_->Undo(); });
  QAction* redo = menu->addAction(U("やり直し"), [this] { reserveEditor_->Redo(); });
  menu->addSeparator();
  QAction* cut = menu->addAction(U("切り取り"), [this] { reserveEditor_->CutToClipboard(); });
  QAction* copy = menu->addAction(U("コピー"), [this] { reserveEditor_->CopyToClipboard(); });
  QAction* paste = menu->addAction(U("貼り付け"), [this] { reserveEditor_->PasteFromClipboard(); });
  menu->addSeparator();
  menu->addAction(U("１行削除"), [this] { reserveEditor_->DeleteRow(reserveEditor_->Row()); });
  connect(menu, &QMenu::aboutToShow, this, [=, this] {
    undo->setEnabled(reserveEditor_->CanUndo());
    redo->setEnabled(reserveEditor_->CanRedo());
    cut->setEnabled(reserveEditor_->HasPlainSelection());
    copy->setEnabled(reserveEditor_->HasPlainSelection());
    paste->setEnabled(TEditor::ClipboardHasText());
  });
  reserveEditor_->SetPopupMenu(menu);
  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  auto* load = new QPushButton("Load");
  load->setObjectName("Load");
  auto* save = new QPushButton("Save");
  save->setObjectName("Save");
  buttons->addWidget(load);
  buttons->addWidget(save);
  buttons->addStretch();
  connect(load, &QPushButton::clicked, this, [this] { LoadReserveWords(); });
  connect(save, &QPushButton::clicked, this, [this] { SaveReserveWords(); });
  return page;
}

void TFormViewEditor::LoadReserveWords() {
  const QString file = QFileDialog::getOpenFileName(this, "Load");
  if (file.isEmpty()) return;
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) {
    ShowError(U("ファイル\"") + file + U("\"を開けません。"));
    return;
  }
  const QByteArray bytes = in.readAll();
  reserveEditor_->SetText(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void TFormViewEditor::SaveReserveWords() {
  const QString file = QFileDialog::getSaveFileName(this, "Save");
  if (file.isEmpty()) return;
  QFile out(file);
  const std::string text = reserveEditor_->Text();
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    ShowError(U("ファイル\"") + file + U("\"に書き込めません。"));
  }
}

// ---- word wrap ----

QWidget* TFormViewEditor::WordWrapPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  TEditorProp& p = *prop_;
  TEditorWrapOption& w = p.WrapOption();
  Check(layout, "WordWrap", [&p] { return p.WordWrap(); }, [&p](bool v) { p.SetWordWrap(v); });
  Check(layout, "FollowPunctuation", [&w] { return w.FollowPunctuation(); }, [&w](bool v) { w.SetFollowPunctuation(v); });
  Check(layout, "FollowRetMark", [&w] { return w.FollowRetMark(); }, [&w](bool v) { w.SetFollowRetMark(v); });
  Check(layout, "Leading", [&w] { return w.Leading(); }, [&w](bool v) { w.SetLeading(v); });
  Check(layout, "WordBreak", [&w] { return w.WordBreak(); }, [&w](bool v) { w.SetWordBreak(v); });
  auto* form = new QFormLayout;
  layout->addLayout(form);
  using SGet = const std::string& (TEditorWrapOption::*)() const;
  using SSet = void (TEditorWrapOption::*)(const std::string&);
  const TEditorWrapOption defaults;
  const std::tuple<const char*, SGet, SSet> strings[] = {
      {"FollowStr", &TEditorWrapOption::FollowStr, &TEditorWrapOption::SetFollowStr},
      {"LeadStr", &TEditorWrapOption::LeadStr, &TEditorWrapOption::SetLeadStr},
      {"PunctuationStr", &TEditorWrapOption::PunctuationStr, &TEditorWrapOption::SetPunctuationStr},
  };
  for (const auto& [name, get, set] : strings) {
    QLineEdit* edit = Edit(form, name, [&w, get = get] { return (w.*get)(); }, [&w, set = set](const std::string& s) { (w.*set)(s); });
    auto* reset = new QPushButton("Default");
    reset->setObjectName(QString(name) + ".Default");
    const QString initial = SjisToQString((defaults.*get)());
    connect(reset, &QPushButton::clicked, edit, [edit, initial] { edit->setText(initial); });
    form->addRow(QString(), reset);
  }
  QSpinBox* wrapByte = Spin(form, "WrapByte", 20, 250, 1, [&w] { return w.WrapByte(); }, [&w](int v) { w.SetWrapByte(v); });
  wrapByte->setMaximumWidth(80);
  layout->addStretch();
  return page;
}

// ---- OK ----

void TFormViewEditor::accept() {
  const int bad = FirstBadBracket();
  if (bad >= 0) {
    for (int i = 0; i < pages_->count(); ++i) {
      if (pages_->tabText(i) == "Brackets") pages_->setCurrentIndex(i);
    }
    bracketList_->setCurrentRow(bad);
    SelectBracket(bad);
    leftBracket_->setFocus();
    ShowError(U(kBadBracket));
    return;
  }
  prop_->SetReserveWordList(EditorLines(*reserveEditor_));
  prop_->SetFileExtList(EditorLines(*fileExtEditor_));
  if (target_) target_->Assign(*prop_);
  QDialog::accept();
}

bool EditEditorProp(TEditorProp& settings, const TPersistent* firstPage, QWidget* parent) {
  TEditorProp copy;
  copy.Assign(settings);
  TFormViewEditor form(parent);
  if (!form.ExecuteDialog(copy, firstPage, false)) return false;
  settings.Assign(copy);
  return true;
}

bool EditEditorProp(TEditor& editor, const TPersistent* firstPage, QWidget* parent) {
  TEditorProp copy;
  copy.AssignFromEditor(editor);
  TFormViewEditor form(parent);
  if (!form.ExecuteDialog(copy, firstPage, false)) return false;
  copy.AssignToEditor(editor);
  return true;
}

}  // namespace nura
