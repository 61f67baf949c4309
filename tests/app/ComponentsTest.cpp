// The timed status message, file drops on the main window and the about box.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include "AppFixture.h"
#include "app/DragDrop.h"
#include "app/FormAbout.h"
#include "app/VoTimerMessage.h"
#include "assemble/FormAssemble.h"
#include "search_print/FormPrintPreview.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormNewAgent.h"
#include "settings/FormProjectPrefs.h"

TEST(TimerMessageTest, ShowsTextThenDefaultAndIntervalZeroStays) {
  TVoTimerMessage message;
  std::vector<QString> shown;
  message.OnTextChanged = [&](const QString& text) { shown.push_back(text); };
  message.DefaultText = QStringLiteral("bereit");
  message.ShowText(QStringLiteral("eins"), 5000);
  EXPECT_TRUE(message.IsShowing());
  message.ShowText(QStringLiteral("zwei"), 5000);  // restarts
  message.DefaultText = QStringLiteral("neu");     // takes effect at the expiry
  message.TimerExpired();
  EXPECT_FALSE(message.IsShowing());
  EXPECT_EQ(shown, (std::vector<QString>{QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("neu")}));
  message.ShowText(QStringLiteral("bleibt"), 0);
  EXPECT_FALSE(message.IsShowing());
  EXPECT_EQ(shown.back(), u"bleibt");
}

using DropTest = AppTest;

namespace {
void Drop(QWidget* target, const QStringList& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& f : files) urls.append(QUrl::fromLocalFile(f));
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}
}  // namespace

TEST_F(DropTest, DroppedFilesOpenInOrderWithLongNamesWhole) {
  const QString longName = QString(250, QLatin1Char('n')) + QStringLiteral(".asm");
  WriteFile("a.asm", "a\n");
  WriteFile("b.inc", "b\n");
  WriteFile(longName, "c\n");
  std::vector<int> counts;
  TDragDrop* dd = Main->DragDrop();
  EXPECT_TRUE(Main->acceptDrops());
  Drop(Main, {Path("b.inc"), Path("a.asm"), Path(longName), Path("x.txt")});
  ASSERT_EQ(Tabs(), 3);
  EXPECT_EQ(View(0)->FileName, Path("b.inc"));
  EXPECT_EQ(View(1)->FileName, Path("a.asm"));
  EXPECT_EQ(View(2)->FileName, Path(longName));
  EXPECT_EQ(ReadFile(longName), QByteArray("c\n"));
  EXPECT_TRUE(dd->Files.isEmpty());  // cleared after use

  // The component on its own: a drop of nothing raises nothing, a new drop replaces the names.
  dd->OnFilesDropped = [&](int n) { counts.push_back(n); };
  dd->FilesDropped({});
  EXPECT_TRUE(counts.empty());
  dd->FilesDropped({QStringLiteral("x1"), QStringLiteral("x2")});
  EXPECT_EQ(counts, std::vector<int>{2});
  EXPECT_EQ(dd->Files, (QStringList{QStringLiteral("x1"), QStringLiteral("x2")}));
  dd->SetActive(false);
  EXPECT_FALSE(Main->acceptDrops());
}

TEST_F(DropTest, AboutBoxShowsVersionAndLinks) {
  TFormAbout about(Main);
  EXPECT_EQ(about.windowTitle(), u"Info zu Kodrill");
  EXPECT_EQ(about.size(), QSize(296, 223));
  EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("LabelKodrill"))->text(), u"Kodrill - Version 0.9 (26.01.2001)");
  for (const char* name : {"LabelWWWLink", "LabelMail"}) {
    auto* link = about.findChild<QLabel*>(QLatin1String(name));
    ASSERT_NE(link, nullptr) << name;
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  }
  EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("LabelMailTo"))->text(), u"mail to:");
}

TEST_F(DropTest, EveryFormGoesWithTheMainWindowAsTheProgramEnds) {
  FormAbout = new TFormAbout(Main);
  FormGlobalPrefs = new TFormGlobalPrefs(Main);
  FormProjectPrefs = new TFormProjectPrefs(Main);
  FormAssemble = new TFormAssemble(Main);
  FormPrintPreview = new TFormPrintPreview(Main);
  FormNewAgent = new TFormNewAgent(Main);
  WriteFile("a.asm", "a\n");
  Main->OpenFile(Path("a.asm"));
  QPointer<TEditorView> view = View(0);
  QPointer<QDialog> assemble = FormAssemble;
  delete Main;
  Main = nullptr;
  FormAbout = nullptr;
  FormGlobalPrefs = nullptr;
  FormProjectPrefs = nullptr;
  FormAssemble = nullptr;
  FormPrintPreview = nullptr;
  FormNewAgent = nullptr;
  EXPECT_TRUE(view.isNull());
  EXPECT_TRUE(assemble.isNull());
  EXPECT_EQ(Project()->FileCount(), 0);  // the entries went with their tabs
}
