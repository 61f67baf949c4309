// Deciding what a change of a file on disk means for its tab.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "app/DiskState.h"

using enum TOutsideChange;

TEST(DiskStateTest, SmallFilesAreComparedByContentLargeOnesBySizeAndTime) {
  const TDiskState gone, a{true, 3, 100, "h1"}, touched{true, 3, 200, "h1"}, edited{true, 3, 100, "h2"},
      longer{true, 4, 100, "h3"}, big{true, 2 << 20, 100, {}}, bigLater{true, 2 << 20, 200, {}};
  const struct {
    TDiskState Known, Now;
    bool Modified;
    TOutsideChange Want;
  } cases[] = {
      {a, a, true, None},         {a, touched, true, None},  {a, edited, false, Reload}, {a, edited, true, Ask},
      {a, longer, true, Ask},     {big, big, true, None},    {big, bigLater, false, Reload},
      {a, gone, false, Deleted},  {a, gone, true, Deleted},  {gone, gone, true, None},
      {gone, a, false, Reload},   {gone, a, true, Ask},
  };
  for (const auto& c : cases) {
    TDiskFile file;
    file.Synced(c.Known);
    EXPECT_EQ(file.Check(c.Now, c.Modified), c.Want) << &c - cases;
  }
  // Keeping the tab's text silences that state only, and the next save asks.
  TDiskFile file;
  file.Synced(a);
  file.Keep(edited);
  EXPECT_EQ(file.Check(edited, true), None);
  EXPECT_EQ(file.Check(longer, true), Ask);
  EXPECT_TRUE(file.OverwriteNeedsAsking(edited));
  EXPECT_FALSE(file.OverwriteNeedsAsking(touched) || file.OverwriteNeedsAsking(gone));

  QTemporaryDir dir;
  QFile f(dir.filePath("a.asm"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("abc") == 3 && f.flush());
  const TDiskState written = ReadDiskState(f.fileName());
  ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
  EXPECT_TRUE(SameFileState(written, ReadDiskState(f.fileName())));
  ASSERT_TRUE(f.seek(0) && f.write("abd") == 3 && f.flush());
  ASSERT_TRUE(f.setFileTime(QDateTime::fromMSecsSinceEpoch(written.Modified), QFileDevice::FileModificationTime));
  EXPECT_FALSE(SameFileState(written, ReadDiskState(f.fileName())));
}
