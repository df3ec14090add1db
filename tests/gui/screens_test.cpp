// Screenshots of the running sheet in both layouts, saved as PNG files in the test's
// build folder for a look by eye.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>

#include "app_test_support.h"

namespace vexal {
namespace {

using ScreensTest = testing::AppFixture;

TEST_F(ScreensTest, TheSheetFillsTheScreenOfEachLayout) {
    const struct {
        const char* width;
        QSize size;
        const char* file;
    } layouts[] = {{"240", {240, 320}, "VexalCE-240x320.png"},
                   {"800", {800, 480}, "VexalCE-800x480.png"}};
    for (const auto& layout : layouts) {
        setenv("VEXAL_SCREEN_WIDTH", layout.width, 1);
        CMainApp& mainApp = MakeApp();
        ASSERT_TRUE(mainApp.StartUp());
        mainApp.sheet->show();
        QCoreApplication::processEvents();

        const QPixmap shot = mainApp.sheet->grab();
        EXPECT_EQ(shot.size(), layout.size) << layout.width;
        ASSERT_TRUE(shot.save(QString::fromLatin1(layout.file)));
        const QImage saved(QString::fromLatin1(layout.file));
        EXPECT_EQ(saved.size(), layout.size) << layout.file;
        mainApp.ShutDown();
    }
}

}  // namespace
}  // namespace vexal
