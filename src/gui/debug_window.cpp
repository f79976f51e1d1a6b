#include "gui/debug_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>

#include "engine/dialogs.h"
#include "engine/command_api.h"
#include "engine/console_debugger.h"
#include "engine/sjis_text.h"
#include "gui/dialog_forms.h"
#include "gui/str_sort_grid.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

QString Q(const char* utf8) { return SjisToQString(SJ(utf8)); }

QPushButton* Button(const char* utf8, QWidget* parent) { return new QPushButton(Q(utf8), parent); }

// The level filter read as an integer: -1 when it is none.
int FilterLevel(const std::string& filter) {
  const std::string text = TrimText(filter);
  if (text.empty()) return -1;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i >= text.size() || text.size() - i > 9) return -1;
  for (size_t j = i; j < text.size(); ++j) {
    if (text[j] < '0' || text[j] > '9') return -1;
  }
  return std::stoi(text);
}

void WriteHeader(TCsvDb& table) {
  const char* const kHeader[] = {"名前", "値", "型", "宣言レベル"};
  for (int c = 0; c < 4; ++c) table.SetCell(c, 0, SJ(kHeader[c]));
}

}  // namespace

void BuildVariableTable(TNuraEngine& engine, const std::string& levelFilter, bool showObjects,
                        TCsvDb& table) {
  static const std::string kResult = SJ("それ");
  table.Clear();
  WriteHeader(table);
  const bool filtered = !levelFilter.empty();
  const int level = FilterLevel(levelFilter);
  int row = 1;
  for (const NodePtr& node : WordTable(engine).GetNodes()) {
    if (node->kind != kWordVariable && node->kind != kWordObject && node->kind != kWordHash) {
      continue;
    }
    if (node->name != kResult && filtered && node->id < level) continue;
    if (node->kind == kWordObject && !showObjects) continue;
    const std::string value =
        node->kind == kWordHash && node->Hash() ? node->Hash()->GetNameValueText() : node->Value();
    table.SetCell(0, row, node->name);
    table.SetCell(1, row, value);
    table.SetCell(2, row, node->Annotation());
    table.SetCell(3, row, std::to_string(node->id));
    ++row;
  }
}

std::string RunControlKindWord(int kind) {
  static const char* const kWords[] = {"もし、ならば", "もし、違えば", "繰り返す", "回",   "呼ぶ",
                                       "イベント",     "反復",         "不明",     "条件分岐"};
  return SJ(kind >= 0 && kind <= 8 ? kWords[kind] : "その他");
}

TfrmDebug::TfrmDebug(QWidget* mainWindow) {
  setWindowTitle(Q("デバッグダイアログ"));
  setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
  resize(560, 520);
  splitter = new QSplitter(Qt::Vertical, this);
  splitter->addWidget(MakeTopPanel());
  splitter->addWidget(MakeVariablePanel());
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addWidget(MakeButtonPanel());
  WriteHeader(table_);
  ShowTable();
  if (mainWindow) {
    const QRect over = mainWindow->frameGeometry();
    move(over.x() + (over.width() - width()) / 2, over.y() + (over.height() - height()) / 2);
  } else {
    CenterOnScreen(this);
  }
}

QWidget* TfrmDebug::MakeTopPanel() {
  auto* panel = new QWidget(this);
  Label2 = new QLabel(Q("現在の実行行:"), panel);
  btnEditorSync = Button("エディタと同期(&E)", panel);
  memLine = new QPlainTextEdit(panel);
  memLine->setReadOnly(true);
  memLine->setFont(QFont(Q("ＭＳ ゴシック")));
  memLine->setLineWrapMode(QPlainTextEdit::NoWrap);
  memLine->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memLine->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* head = new QHBoxLayout;
  head->addWidget(Label2, 1);
  head->addWidget(btnEditorSync);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(head);
  layout->addWidget(memLine, 1);
  connect(btnEditorSync, &QPushButton::clicked, this, [this] { SyncEditor(); });
  return panel;
}

QWidget* TfrmDebug::MakeVariablePanel() {
  auto* panel = new QWidget(this);
  edtFind = new QLineEdit(panel);
  btnSerch = Button("実行", panel);
  chkViewIniVar = new QCheckBox(Q("システム変数を表示"), panel);
  chkViewGuiObject = new QCheckBox(Q("GUIオブジェクトも表示"), panel);
  cmbRunControl = new QComboBox(panel);
  edtTagLevel = new QLineEdit(QStringLiteral("0"), panel);
  edtTagLevel->setMaximumWidth(48);
  grdVar = new TStrSortGrid(panel);
  grdVar->SetSize(1, 4);
  const int widths[] = {87, 201, 158, 64};
  for (int c = 0; c < 4; ++c) grdVar->SetColWidth(c, widths[c]);
  auto* filters = new QHBoxLayout;
  filters->addWidget(new QLabel(Q("変数"), panel));
  filters->addWidget(new QLabel(Q("検索"), panel));
  filters->addWidget(edtFind, 1);
  filters->addWidget(btnSerch);
  filters->addWidget(chkViewIniVar);
  filters->addWidget(chkViewGuiObject);
  auto* levels = new QHBoxLayout;
  levels->addWidget(new QLabel(Q("実行制御："), panel));
  levels->addWidget(cmbRunControl, 1);
  levels->addWidget(new QLabel(Q("レベル"), panel));
  levels->addWidget(edtTagLevel);
  levels->addWidget(new QLabel(Q("以上を表示"), panel));
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(filters);
  layout->addLayout(levels);
  layout->addWidget(grdVar, 1);

  connect(edtFind, &QLineEdit::textEdited, this, [this] { Search(); });
  connect(edtFind, &QLineEdit::returnPressed, this, [this] { Search(); });
  connect(btnSerch, &QPushButton::clicked, this, [this] { Search(); });
  connect(chkViewIniVar, &QCheckBox::toggled, this, [this](bool all) {
    if (all) edtTagLevel->clear();
    else if (edtTagLevel->text().isEmpty()) edtTagLevel->setText(QStringLiteral("0"));
    RefreshVariableList();
  });
  connect(chkViewGuiObject, &QCheckBox::toggled, this, [this] { RefreshVariableList(); });
  connect(edtTagLevel, &QLineEdit::textEdited, this, [this] { RefreshVariableList(); });
  connect(grdVar, &QTableWidget::cellDoubleClicked, this, [this] { ShowRowValue(); });
  grdVar->installEventFilter(this);
  return panel;
}

QWidget* TfrmDebug::MakeButtonPanel() {
  auto* panel = new QWidget(this);
  btnOK = Button("連続実行(&O)", panel);
  btnEveryLineStop = Button("一行毎に実行(&L)", panel);
  btnClose = Button("実行中断(&C)", panel);
  btnHelp = Button("？", panel);
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* button : {btnOK, btnEveryLineStop, btnClose}) layout->addWidget(button);
  layout->addStretch(1);
  layout->addWidget(btnHelp);
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, [this] { SetLineStop(false); });
  connect(btnEveryLineStop, &QPushButton::clicked, this, [this] { SetLineStop(true); });
  connect(btnClose, &QPushButton::clicked, this, [this] {
    aborted = true;
    accept();
  });
  connect(btnHelp, &QPushButton::clicked, this, [this] {
    QMessageBox::information(
        this, Q("デバッグダイアログ"),
        Q("デバッグダイアログ\r\n\r\nこれは、プログラムに不具合が起こったときに、\r\n"
          "プログラムを一行ずつ実行したり、\r\n実行中の変数の値を調べたりするのに便利です。"));
  });
  return panel;
}

void TfrmDebug::SetLineStop(bool on) {
  if (engine_) nura::SetLineStop(*engine_, on);
  accept();
}

void TfrmDebug::Prepare(TNuraEngine& engine) {
  engine_ = &engine;
  aborted = false;
  if (edtTagLevel->text().isEmpty() && !chkViewIniVar->isChecked()) {
    edtTagLevel->setText(QStringLiteral("0"));
  }
  RefreshVariableList();
  FillRunControl();
  ShowCurrentLine();
  if (!edtFind->text().trimmed().isEmpty()) Search();
}

void TfrmDebug::FillRunControl() {
  cmbRunControl->clear();
  const std::vector<uint8_t> kinds = RunControlKinds(*engine_);
  for (size_t i = 0; i < kinds.size(); ++i) {
    cmbRunControl->addItem(SjisToQString(std::to_string(i + 1) + ":" + RunControlKindWord(kinds[i])));
  }
  cmbRunControl->setCurrentIndex(cmbRunControl->count() - 1);
}

// The label names the line; the memo shows the program with the caret at
// the start of that line.
void TfrmDebug::ShowCurrentLine() {
  const int line = CurrentLine(*engine_) - 1;
  Label2->setText(Q("現在の実行行:") + QString::number(line));
  memLine->setPlainText(SjisToQString(DebugProgramText(*engine_)));
  const QTextBlock block = memLine->document()->findBlockByNumber(std::max(line, 0));
  QTextCursor cursor(block.isValid() ? block : memLine->document()->firstBlock());
  memLine->setTextCursor(cursor);
  memLine->centerCursor();
  memLine->setFocus();
}

void TfrmDebug::RefreshVariableList() {
  if (!engine_) return;
  BuildVariableTable(*engine_, QStringToSjis(edtTagLevel->text()), chkViewGuiObject->isChecked(),
                     table_);
  ShowTable();
}

// One grid row per table row, the header included.
void TfrmDebug::ShowTable() {
  grdVar->SetSize(std::max(table_.RowCount(), 1), 4);
  for (int r = 0; r < table_.RowCount(); ++r) {
    for (int c = 0; c < 4; ++c) grdVar->SetCell(c, r, std::string(table_.GetCell(c, r)));
  }
}

// The first row below the header whose name begins with the search text.
void TfrmDebug::Search() {
  const std::string wanted = TrimText(QStringToSjis(edtFind->text()));
  if (wanted.empty()) return;
  for (int r = 1; r < grdVar->RowCount(); ++r) {
    if (grdVar->GetCell(0, r).rfind(wanted, 0) == 0) {
      grdVar->SelectRow(r);
      break;
    }
  }
  edtFind->setFocus();
}

// The value of the selected row in the memo dialog, under the name.
void TfrmDebug::ShowRowValue() {
  const int row = grdVar->SelectedRow();
  if (row < 1) return;
  Dialogs().ShowMemo(grdVar->GetCell(1, row), grdVar->GetCell(0, row));
}

// The editor is told the executing line through the host's link; an
// editor that cannot be reached is not reported.
void TfrmDebug::SyncEditor() {
  if (engine_) EngineHost(*engine_).SyncEditor(*engine_);
}

bool TfrmDebug::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdVar && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ShowRowValue();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// Closing empties the table, the grid, the memo and the combo.
void TfrmDebug::done(int result) {
  table_.Clear();
  WriteHeader(table_);
  ShowTable();
  memLine->clear();
  cmbRunControl->clear();
  QDialog::done(result);
}

}  // namespace nura
