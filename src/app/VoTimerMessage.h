#pragma once
// TVoTimerMessage: shows a text for a limited time, then falls back to DefaultText. It only
// hands the texts to its owner through OnTextChanged.
#include <QObject>
#include <QString>

#include <functional>

class QTimer;

class TVoTimerMessage : public QObject {
  Q_OBJECT

 public:
  explicit TVoTimerMessage(QObject* owner = nullptr);
  ~TVoTimerMessage() override;

  // Shows Text now; DefaultText follows after Interval ms (0: the text stays).
  void ShowText(const QString& text, int interval);
  void TimerExpired();
  bool IsShowing() const;

  QString DefaultText;
  std::function<void(const QString& newText)> OnTextChanged;

 private:
  QTimer* Timer;
};
