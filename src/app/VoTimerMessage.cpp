#include "app/VoTimerMessage.h"

#include <QTimer>

TVoTimerMessage::TVoTimerMessage(QObject* owner) : QObject(owner), Timer(new QTimer(this)) {
  Timer->setSingleShot(true);
  connect(Timer, &QTimer::timeout, this, &TVoTimerMessage::TimerExpired);
  TimerExpired();
}

TVoTimerMessage::~TVoTimerMessage() = default;

void TVoTimerMessage::ShowText(const QString& text, int interval) {
  if (OnTextChanged) OnTextChanged(text);
  Timer->stop();
  // An interval of 0 means the text stays until the next call.
  if (interval > 0) {
    Timer->setInterval(interval);
    Timer->start();
  }
}

void TVoTimerMessage::TimerExpired() {
  Timer->stop();
  if (OnTextChanged) OnTextChanged(DefaultText);
}

bool TVoTimerMessage::IsShowing() const { return Timer->isActive(); }
