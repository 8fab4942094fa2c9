// The room's links: which targets may be opened, which link a point hits, and on the real frame the
// hand over a link and the opener on a click, driven by the input script.
#include "app/FrameLinks.h"

#include "tests/app/ScriptedFrame.h"
#include "tests/platform/TempFolder.h"

#include "platform/win32/Desktop.h"
#include "platform/win32/Shell.h"
#include "platform/win32/SystemParameters.h"
#include "render/Picking.h"
#include "render/SceneRecords.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace
{
TEST(FrameLinksTest, OnlyWebAndMailAddressesAndTheProgramFoldersDocumentsOpen)
{
    const CTempFolder program, elsewhere;
    program.Write("readme.txt", "read me");
    std::filesystem::create_directories(program.Path() / "docs");
    program.Write("docs/rules.html", "<p>rules</p>");
    program.Write("tool.sh", "#!/bin/sh\n");
    std::filesystem::permissions(program.File("tool.sh"), std::filesystem::perms::owner_all);
    elsewhere.Write("outside.txt", "out");
    struct SCase
    {
        const char* szName;
        std::string strTarget;
        bool bOpens;
    };
    const SCase aCases[] = {
        {"http", "http://vorn.invalid/club", true},
        {"https in capitals", "HTTPS://vorn.invalid/", true},
        {"mailto", "mailto:club@vorn.invalid", true},
        {"a scheme alone", "http://", false},
        {"another scheme", "ftp://vorn.invalid/", false},
        {"script", "javascript:alert(1)", false},
        {"an address with a line break", "http://vorn.invalid/\nrm", false},
        {"a document of the program folder", "readme.txt", true},
        {"a document in a subfolder", "docs/rules.html", true},
        {"a document by its absolute path", program.File("readme.txt"), true},
        {"a program of the program folder", "tool.sh", false},
        {"a missing document", "missing.txt", false},
        {"the folder itself", ".", false},
        {"up and out of the folder", "../" + elsewhere.Path().filename().string() + "/outside.txt", false},
        {"a document elsewhere", elsewhere.File("outside.txt"), false},
        {"a system program", "/bin/sh", false},
        {"empty", "", false},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.bOpens, IsOpenableLink(c.strTarget, program.Path()));
    }
}

TEST(FrameLinksTest, TheFirstLinkInListOrderUnderThePointIsHit)
{
    CLinkList links;
    for (const RECT& rc : {RECT{10, 10, 100, 50}, RECT{50, 30, 150, 80}})
    {
        CLinkRec rec;
        rec.m_rcScreen = rc;
        links.Add(rec);
    }
    struct SCase
    {
        const char* szName;
        POINT pt;
        int nLink;
    };
    const SCase aCases[] = {
        {"inside the first", {20, 20}, 0}, {"where both overlap: the first", {60, 40}, 0},
        {"only the second", {120, 70}, 1}, {"the first's corner", {100, 50}, 0},
        {"left of both", {5, 20}, -1},     {"below both", {60, 90}, -1},
    };
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        EXPECT_EQ(c.nLink, LinkAtPoint(links, c.pt));
    }
}

/// The frame's links: a safe one, an unsafe one and one without a target, side by side.
class CFrameLinksTest : public CScriptedFrameTest
{
protected:
    void SetUp() override
    {
        CScriptedFrameTest::SetUp();
        m_app.Folder().Write("recorder.sh", "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(m_app.Folder().File("recorder.sh"), std::filesystem::perms::owner_all);
        m_pOpener = std::make_unique<CEnvScope>("VORN_OPENER", m_app.Folder().File("recorder.sh").c_str());
        m_nStarted = GetOpenerStartCount();
    }
    void TearDown() override
    {
        g_linkList.RemoveAll();
        m_pOpener.reset();
        CScriptedFrameTest::TearDown();
    }

    /// The table laid in the mode, and the three links after the scene's.
    static void SetUpLinks(CMainFrame& frame, DWORD dwMode)
    {
        LayTable(frame, std::vector<SPlacedBall>{{0, 0.56f, 0.60f}}, true, dwMode);
        for (const auto& [rc, szTarget] :
             {std::pair{RECT{100, 100, 200, 150}, "https://vorn.invalid/"},
              std::pair{RECT{300, 100, 400, 150}, "/bin/sh"}, std::pair{RECT{500, 100, 600, 150}, ""}})
        {
            CLinkRec rec;
            rec.m_rcScreen = rc;
            rec.m_strTarget = szTarget;
            g_linkList.Add(rec);
        }
        frame.ClipCursorToView(); // as entering the mode does
    }

    std::function<void(CMainFrame&)> Opened(int n) const
    {
        return [nStarted = m_nStarted, n](CMainFrame&)
        { EXPECT_EQ(n, GetOpenerStartCount() - nStarted) << "openers started"; };
    }
    static void IsArrow(CMainFrame&) { EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), GetCursor()); }

    std::unique_ptr<CEnvScope> m_pOpener;
    int m_nStarted = 0;
};

/// Both checks.
std::function<void(CMainFrame&)> Both(std::function<void(CMainFrame&)> a, std::function<void(CMainFrame&)> b)
{
    return [a, b](CMainFrame& f)
    {
        a(f);
        b(f);
    };
}

TEST_F(CFrameLinksTest, InThePauseTheHandShowsOverALinkAndAClickOpensOnlyASafeTarget)
{
    const std::vector<SFrameStep> steps = {
        {"over the safe link", nullptr, "mouse move 150 120", CursorIs(CURSOR_HAND)},
        {"a click opens it", nullptr, "mouse down left 150 120|mouse up left 150 120", Opened(1)},
        {"over the unsafe link", nullptr, "mouse move 350 120", CursorIs(CURSOR_HAND)},
        {"a click opens nothing", nullptr, "mouse down left 350 120|mouse up left 350 120", Opened(1)},
        {"over a link without a target: the hand all the same", nullptr, "mouse move 550 120", CursorIs(CURSOR_HAND)},
        {"a click opens nothing", nullptr, "mouse down left 550 120|mouse up left 550 120", Opened(1)},
        {"off the links: the arrow", nullptr, "mouse move 700 120", Both(Opened(1), IsArrow)},
    };
    RunFrameSteps(m_app.Folder().Path(), steps, [](CMainFrame& frame) { SetUpLinks(frame, modeWaiting); });
}

TEST_F(CFrameLinksTest, HoldingTabFreesTheCursorForTheLinksAndLettingGoConfinesItAgain)
{
    const auto free = [](bool bFree)
    {
        return [bFree](CMainFrame& f)
        {
            RECT rcClip{}, rcDesktop = GetDesktopWindowRect();
            ASSERT_TRUE(GetClipCursor(&rcClip));
            EXPECT_EQ(bFree, rcClip.right - rcClip.left == rcDesktop.right - rcDesktop.left) << "the cursor free";
            EXPECT_EQ(bFree, GetCursorShowCount() >= 0) << "the cursor shown";
            EXPECT_EQ(modeAim, GetModeField()) << "aiming goes on under the cursor mode";
            (void)f;
        };
    };
    const std::vector<SFrameStep> steps = {
        {"aiming: confined and hidden", nullptr, "", free(false)},
        {"Tab held: free and shown", nullptr, "key down Tab", free(true)},
        {"over a link without a target: the arrow", nullptr, "mouse move 550 120", Both(free(true), IsArrow)},
        {"over the safe link: the hand", nullptr, "mouse move 150 120", CursorIs(CURSOR_HAND)},
        {"a click opens it and strokes no cue", nullptr, "mouse down left 150 120|mouse up left 150 120",
         Both(Opened(1), free(true))},
        {"Tab let go: confined and hidden again", nullptr, "key up Tab", free(false)},
    };
    RunFrameSteps(m_app.Folder().Path(), steps, [](CMainFrame& frame) { SetUpLinks(frame, modeAim); });
}
} // namespace
