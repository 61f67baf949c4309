#include "app/FormAbout.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/FitTexts.h"
#include "platform/ui/UserDialogs.h"
#include "settings/KodrillApp.h"

TFormAbout* FormAbout = nullptr;

const QString TFormAbout::WebAddress = QStringLiteral("https://www.tallow-fen.example");
const QString TFormAbout::MailAddress = QStringLiteral("kodrill@tallow-fen.example");

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick) OnClick();
  QLabel::mouseReleaseEvent(event);
}

static TLinkLabel* NewLink(QWidget* parent, const char* name, const QString& text) {
  auto* label = new TLinkLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setText(text);
  label->setAlignment(Qt::AlignCenter);
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
  label->setPalette(palette);
  return label;
}

static QLabel* NewLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormAbout"));
  setWindowTitle(QStringLiteral("Info zu Kodrill"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(296, 223);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel"));
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setAutoFillBackground(true);
  QPalette white = panel->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  panel->setPalette(white);

  auto* logo = new TLinkLabel(panel);
  logo->setObjectName(QStringLiteral("ImageTallowFen"));
  logo->setPixmap(QPixmap(QStringLiteral(":/glyphs/logo")).scaled(48, 48, Qt::KeepAspectRatio,
                                                                   Qt::SmoothTransformation));
  logo->setAlignment(Qt::AlignCenter);
  logo->OnClick = [this] { LabelWWWLinkClick(); };

  QLabel* product = NewLabel(panel, "LabelKodrill", QStringLiteral("Kodrill - Version %1 (%2)")
                                                        .arg(TKodrillApp::Version, TKodrillApp::VersionDate));
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  QLabel* credits = NewLabel(panel, "LabelCredits",
                             QStringLiteral("Editor und Build-Oberfläche für Assembler\n© Tallow-Fen"));
  TLinkLabel* web = NewLink(panel, "LabelWWWLink", WebAddress);
  web->OnClick = [this] { LabelWWWLinkClick(); };
  QLabel* mailTo = NewLabel(panel, "LabelMailTo", QStringLiteral("mail to:"));
  TLinkLabel* mail = NewLink(panel, "LabelMail", MailAddress);
  mail->OnClick = [this] { LabelMailClick(); };

  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setSpacing(2);
  for (QWidget* w : {static_cast<QWidget*>(logo), static_cast<QWidget*>(product), static_cast<QWidget*>(credits),
                     static_cast<QWidget*>(web), static_cast<QWidget*>(mailTo), static_cast<QWidget*>(mail)})
    panelLayout->addWidget(w);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BtnOK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(panel, 1);
  layout->addWidget(ok, 0, Qt::AlignHCenter);
  FitTexts(this);
}

void TFormAbout::LabelWWWLinkClick() { ShellOpen(WebAddress); }

void TFormAbout::LabelMailClick() { ShellOpen(QStringLiteral("mailto:") + MailAddress); }
