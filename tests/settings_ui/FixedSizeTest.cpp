// Dialogs built to one size keep it, so that a window manager offers neither resizing nor a
// maximise button for them; the size they keep still holds all of their content.
#include "SettingsUiFixture.h"
#include "app/FormGotoLine.h"
#include "assemble/FormAssemble.h"
#include "settings/FormGlobalPrefs.h"
#include "settings/FormNewAgent.h"
#include "settings/FormProjectPrefs.h"

namespace {

TEST_F(SettingsUiTest, FixedDialogsCannotBeResizedAndHoldTheirContent) {
  std::unique_ptr<QWidget> windows[] = {
      std::make_unique<TFormAssemble>(), std::make_unique<TFormNewAgent>(),
      std::make_unique<TFormGotoLine>(nullptr, 1, 1000, [](int) { return 0; }),
      std::make_unique<TFormGlobalPrefs>(), std::make_unique<TFormProjectPrefs>()};
  for (const auto& window : windows) {
    window->show();
    const std::string name = window->objectName().toStdString();
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << name;
    EXPECT_EQ(window->size().expandedTo(window->minimumSizeHint()), window->size()) << name;
  }
}

}  // namespace
