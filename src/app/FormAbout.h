#pragma once
// TFormAbout: the about box "Info zu Kodrill" with the maker's web and mail links.
#include <QDialog>
#include <QLabel>

#include <functional>

// A label that reacts to a click like a link (navy, underlined, pointing cursor).
class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(QWidget* parent = nullptr);
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAbout(QWidget* parent = nullptr);

  static const QString WebAddress;
  static const QString MailAddress;

  void LabelWWWLinkClick();
  void LabelMailClick();
};

// The one about box (set by the program when it creates the form).
extern TFormAbout* FormAbout;
