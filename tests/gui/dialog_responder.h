// Answers the next modal dialog of a GUI test: waits on the event loop
// until a modal widget is active, then hands it to the test's answer.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <functional>

namespace nura::test {

using ModalAnswer = std::function<void(QWidget* dialog)>;

// Polls every 10 ms, for at most `tries` times, for the active modal widget.
inline void RespondToModal(ModalAnswer answer, int tries = 300) {
  QTimer::singleShot(tries == 300 ? 0 : 10, [answer, tries] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      answer(dialog);
    } else if (tries > 0) {
      RespondToModal(answer, tries - 1);
    }
  });
}

// A key press (and its release) delivered to `target`.
inline void PressKey(QWidget* target, int key, const QString& text = QString()) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

}  // namespace nura::test
