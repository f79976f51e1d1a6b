// Another program for the X11 window tests: a red window titled by its
// first argument with one edit box. It prints "ready" once shown,
// "active" when it becomes the active window, and the edit box's text on
// every change, each on a line of its own; it ends when its input closes.
#include <QApplication>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <unistd.h>

namespace {

void Say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QString::fromUtf8(argc > 1 ? argv[1] : "peer"));
  window.setAutoFillBackground(true);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, Qt::red);
  window.setPalette(palette);
  window.setGeometry(300, 200, 240, 160);
  QLineEdit edit(&window);
  edit.setGeometry(10, 10, 200, 30);
  QObject::connect(&edit, &QLineEdit::textChanged, [](const QString& text) { Say("text:" + text); });
  QObject::connect(&app, &QApplication::focusWindowChanged, [&window](QWindow* focus) {
    if (focus && focus == window.windowHandle()) Say("active");
  });
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&app] {
    char byte = 0;
    if (read(STDIN_FILENO, &byte, 1) <= 0) app.quit();
  });
  QTimer::singleShot(120000, &app, &QApplication::quit);  // never outlives a stuck test
  window.show();
  edit.setFocus();
  QTimer::singleShot(300, [] { Say("ready"); });
  return app.exec();
}
