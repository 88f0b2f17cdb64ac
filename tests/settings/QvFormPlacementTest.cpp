// Window placement under the offscreen platform: saved values and kinds, the primary-screen
// clamp, window states, and windows that were never saved.
#include "settings/QvFormPlacement.h"

#include "settings/QvFileUtils_p.h"
#include "settings/QvRegistry.h"
#include "tests/testsupport/TempFolder.h"
#include "tests/testsupport/UiTestFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <fstream>
#include <iterator>

namespace qv {
namespace {

class FormPlacement : public test::UiTestFixture {
  protected:
    void SetUp() override {
        UiTestFixture::SetUp();
        window.setObjectName("ReportForm");
        window.move(30, 40);
        window.resize(300, 200);
    }
    void Save(int left, int top, int width, int height, int state) {
        TRegistryIniFile store(AppRegistryKey());
        store.WriteInt("ReportForm", "Left", left);
        store.WriteInt("ReportForm", "Top", top);
        store.WriteInt("ReportForm", "Width", width);
        store.WriteInt("ReportForm", "Height", height);
        store.WriteInt("ReportForm", "WinState", state);
    }
    QWidget window;
};

TEST_F(FormPlacement, PositionsAreKeptOnThePrimaryScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int w = screen.width();
    const int h = screen.height();
    struct Row {
        const char* what;
        int left, top;
        int expectLeft, expectTop;
    };
    const Row rows[] = {
        {"far right and above", 5000, -20, w - 200, 0},
        {"left of the screen and far below", -20, 5000, 0, h - 200},
        {"exactly 100 from the edges stays", w - 100, h - 100, w - 100, h - 100},
        {"99 from the edges moves back 200", w - 99, h - 99, w - 200, h - 200},
        {"inside", 10, 20, 10, 20},
    };
    for (const Row& r : rows) {
        Save(r.left, r.top, 300, 200, 0);
        RestoreFormPlacement(&window, false, true);
        EXPECT_EQ(window.x(), r.expectLeft) << r.what;
        EXPECT_EQ(window.y(), r.expectTop) << r.what;
    }
}

TEST_F(FormPlacement, AWindowNeverSavedKeepsItsDesignedPlacement) {
    RestoreFormPlacement(&window, true, true);
    EXPECT_EQ(window.pos(), QPoint(30, 40));
    EXPECT_EQ(window.size(), QSize(300, 200));
    EXPECT_EQ(window.windowState(), Qt::WindowNoState);
    EXPECT_FALSE(window.isVisible()); // "Visible" defaults to no
}

TEST_F(FormPlacement, SavedPlacementIsRestored) {
    window.move(50, 60);
    window.resize(320, 240);
    window.show();
    { TRegistryIniFile keyMade(AppRegistryKey()); } // the key exists before counting
    test::CommitCounter commits(FolderOf(UserRegistryPath()), "user.reg");
    SaveFormPlacement(&window);
    EXPECT_EQ(commits.Take(), 1); // six values, one flush of the file

    TRegistryIniFile store(AppRegistryKey());
    EXPECT_EQ(store.ReadInt("ReportForm", "Left", -1), 50);
    EXPECT_EQ(store.ReadInt("ReportForm", "Width", -1), 320);
    EXPECT_EQ(store.ReadText("ReportForm", "Visible", ""), "1");
    EXPECT_EQ(store.ReadInt("ReportForm", "WinState", -1), 0);
    EXPECT_THROW(store.ReadText("ReportForm", "Left", ""), ERegistryException); // a dword

    QWidget other;
    other.setObjectName("ReportForm");
    RestoreFormPlacement(&other, true, true);
    EXPECT_EQ(other.pos(), QPoint(50, 60));
    EXPECT_EQ(other.size(), QSize(320, 240));
    EXPECT_TRUE(other.isVisible());
}

TEST_F(FormPlacement, SizeAndVisibilityAreRestoredOnlyWhenAsked) {
    Save(10, 20, 640, 480, 0);
    window.show();
    RestoreFormPlacement(&window, false, false);
    EXPECT_EQ(window.pos(), QPoint(10, 20));
    EXPECT_EQ(window.size(), QSize(300, 200));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(FormPlacement, WindowStatesRoundTrip) {
    Save(10, 20, 300, 200, 2);
    RestoreFormPlacement(&window, false, true);
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);

    Save(10, 20, 300, 200, 1);
    RestoreFormPlacement(&window, false, true);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
    SaveFormPlacement(&window);
    EXPECT_EQ(TRegistryIniFile(AppRegistryKey()).ReadInt("ReportForm", "WinState", -1), 1);

    Save(10, 20, 300, 200, 0);
    RestoreFormPlacement(&window, false, true);
    EXPECT_EQ(window.windowState(), Qt::WindowNoState);

    window.showMaximized();
    SaveFormPlacement(&window);
    EXPECT_EQ(TRegistryIniFile(AppRegistryKey()).ReadInt("ReportForm", "WinState", -1), 2);
}

TEST_F(FormPlacement, EachWindowHasItsOwnSubkey) {
    Save(10, 20, 300, 200, 0);
    QWidget editor;
    editor.setObjectName("IniPadForm");
    editor.move(70, 80);
    RestoreFormPlacement(&editor, false, true);
    EXPECT_EQ(editor.pos(), QPoint(70, 80));
}

} // namespace
} // namespace qv
