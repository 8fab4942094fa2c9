#include "platform/win32/Messages.h"
#include "platform/win32/Thread.h"
#include "platform/win32/WindowTable.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
struct SLogged
{
    HWND hWnd;
    UINT uMsg;
    WPARAM wParam;
    friend bool operator==(const SLogged&, const SLogged&) = default;
};

std::mutex s_logMutex;
std::vector<SLogged> s_aLog;
/// What the test window answers to WM_USER + 1 (sent back from another thread).
HWND s_hSendBackTo = nullptr;

LRESULT TestWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard lock(s_logMutex);
        s_aLog.push_back(SLogged{hWnd, uMsg, wParam});
    }
    if (uMsg == WM_USER)
        return s_hSendBackTo != nullptr ? SendMessage(s_hSendBackTo, WM_USER + 1, wParam, 0) + 1 : 0;
    if (uMsg == WM_USER + 1)
        return static_cast<LRESULT>(wParam) * 10;
    return DefWindowProc(hWnd, uMsg, wParam, lParam);
}

class MessageQueueTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASS wc;
        wc.lpfnWndProc = &TestWindowProc;
        wc.lpszClassName = "Queue test";
        RegisterClass(&wc);
        std::lock_guard lock(s_logMutex);
        s_aLog.clear();
        s_hSendBackTo = nullptr;
    }
    void TearDown() override
    {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }
    static HWND MakeWindow(DWORD dwStyle = WS_CHILD)
    {
        return CreateWindowEx(0, "Queue test", "test", dwStyle, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    }
    static std::vector<SLogged> Log()
    {
        std::lock_guard lock(s_logMutex);
        return s_aLog;
    }
};

TEST_F(MessageQueueTest, FiltersPickTheFirstMatchingMessage)
{
    struct SCase
    {
        const char* szName;
        int nWindowFilter; // 0 none, 1 window A, 2 window B, 3 thread only
        UINT uMin, uMax;
        UINT uExpected; // 0: nothing passes
    };
    const SCase aCases[] = {
        {"no filter: the oldest", 0, 0, 0, WM_USER + 1},
        {"window A", 1, 0, 0, WM_USER + 1},
        {"window B", 2, 0, 0, WM_KEYDOWN},
        {"thread messages only", 3, 0, 0, WM_USER + 3},
        {"key range", 0, WM_KEYFIRST, WM_KEYLAST, WM_KEYDOWN},
        {"mouse range", 0, WM_MOUSEFIRST, WM_MOUSELAST, WM_MOUSEMOVE},
        {"range on window A", 1, WM_MOUSEFIRST, WM_MOUSELAST, WM_MOUSEMOVE},
        {"range nobody matches", 2, WM_MOUSEFIRST, WM_MOUSELAST, 0},
    };
    const HWND hA = MakeWindow(), hB = MakeWindow();
    for (const SCase& c : aCases)
    {
        SCOPED_TRACE(c.szName);
        ASSERT_TRUE(PostMessage(hA, WM_USER + 1, 0, 0));
        ASSERT_TRUE(PostMessage(hB, WM_KEYDOWN, 0, 0));
        ASSERT_TRUE(PostMessage(hA, WM_MOUSEMOVE, 0, 0));
        ASSERT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_USER + 3, 0, 0));
        const HWND hFilter = c.nWindowFilter == 1   ? hA
                             : c.nWindowFilter == 2 ? hB
                             : c.nWindowFilter == 3 ? HWND_THREAD_ONLY
                                                    : nullptr;
        MSG msg;
        const BOOL bFound = PeekMessage(&msg, hFilter, c.uMin, c.uMax, PM_NOREMOVE);
        ASSERT_EQ(c.uExpected != 0, bFound != FALSE);
        if (bFound)
        {
            EXPECT_EQ(c.uExpected, msg.message);
            MSG again;
            ASSERT_TRUE(PeekMessage(&again, hFilter, c.uMin, c.uMax, PM_REMOVE));
            EXPECT_EQ(msg.message, again.message) << "no-remove left it at the front";
            MSG next;
            EXPECT_FALSE(PeekMessage(&next, hFilter, c.uMin, c.uMax, PM_NOREMOVE) && next.message == msg.message &&
                         next.hwnd == msg.hwnd)
                << "removed";
        }
        TearDown();
    }
}

TEST_F(MessageQueueTest, QuitComesAfterPostedMessagesAndTheFirstCodeWins)
{
    PostThreadMessage(GetCurrentThreadId(), WM_USER, 1, 0);
    PostQuitMessage(7);
    PostQuitMessage(0);
    MSG msg;
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(WM_USER, msg.message);
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(WM_QUIT, msg.message);
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit request is handed out once";
}

TEST_F(MessageQueueTest, SendAcrossThreadsServesSendsBackWithoutDeadlock)
{
    const HWND hMain = MakeWindow();
    HWND hOther = nullptr;
    std::mutex mutex;
    std::condition_variable cv;
    std::thread other(
        [&]
        {
            {
                std::lock_guard lock(mutex);
                hOther = MakeWindow();
            }
            cv.notify_all();
            MSG msg;
            while (GetMessage(&msg, nullptr, 0, 0))
                DispatchMessage(&msg);
            DestroyWindow(hOther);
        });
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return hOther != nullptr; });
    }
    s_hSendBackTo = hMain;
    // The other thread sends WM_USER + 1 back here while this thread waits for its answer.
    EXPECT_EQ(41, SendMessage(hOther, WM_USER, 4, 0));
    const DWORD dwOther = GetWindowThreadProcessId(hOther, nullptr);
    EXPECT_NE(GetCurrentThreadId(), dwOther);
    EXPECT_EQ(SLogged({hMain, WM_USER + 1, 4}), Log().back()) << "run on this thread while it waited";
    PostThreadMessage(dwOther, WM_QUIT, 0, 0);
    other.join();
    EXPECT_FALSE(IsWindow(hOther));
    EXPECT_EQ(0, SendMessage(hOther, WM_USER + 1, 1, 0)) << "a dead window answers nothing";
    EXPECT_FALSE(PostThreadMessage(dwOther, WM_USER, 0, 0)) << "the thread's queue ended with it";
    DestroyWindow(hMain);
}

TEST_F(MessageQueueTest, TimerGivesOneMessageHoweverLateItIsServed)
{
    const HWND hWnd = MakeWindow();
    ASSERT_EQ(5u, SetTimer(hWnd, 5, 10, nullptr));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(WM_TIMER, msg.message);
    EXPECT_EQ(5u, msg.wParam);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) << "six periods gave one message";
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0)) << "the next period wakes a waiting thread";
    EXPECT_EQ(WM_TIMER, msg.message);
    EXPECT_TRUE(KillTimer(hWnd, 5));
    EXPECT_FALSE(WaitMessageTimeout(30));
    DestroyWindow(hWnd);
}

TEST_F(MessageQueueTest, DestroyedWindowStaysDeadAndItsMessagesAreDropped)
{
    const HWND hWnd = MakeWindow();
    PostMessage(hWnd, WM_USER + 2, 0, 0);
    SetTimer(hWnd, 1, 0, nullptr);
    ASSERT_TRUE(DestroyWindow(hWnd));
    const std::vector<SLogged> aLog = Log();
    ASSERT_GE(aLog.size(), 2u);
    EXPECT_EQ(WM_DESTROY, aLog[aLog.size() - 2].uMsg);
    EXPECT_EQ(WM_NCDESTROY, aLog.back().uMsg);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_FALSE(PostMessage(hWnd, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(hWnd));
    const HWND hNext = MakeWindow();
    EXPECT_NE(hWnd, hNext) << "a reused slot has a new generation";
    EXPECT_FALSE(IsWindow(hWnd));
    DestroyWindow(hNext);
}

TEST_F(MessageQueueTest, CreateFailsWhenTheWindowRefusesAndOnlyTheOwnerDestroys)
{
    EXPECT_EQ(nullptr, CreateWindowEx(0, "no such class", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    const HWND hWnd = MakeWindow();
    BOOL bDestroyedElsewhere = TRUE;
    std::thread([&] { bDestroyedElsewhere = DestroyWindow(hWnd); }).join();
    EXPECT_FALSE(bDestroyedElsewhere);
    EXPECT_TRUE(IsWindow(hWnd));
    EXPECT_EQ(SLogged({hWnd, WM_CREATE, 0}), Log().back());
    DestroyWindow(hWnd);
}

DWORD ReadOneThreadMessage(void* pParam)
{
    MSG msg;
    GetMessage(&msg, nullptr, 0, 0);
    *static_cast<UINT*>(pParam) = msg.message;
    return 0;
}

TEST_F(MessageQueueTest, MessagesPostedToASuspendedThreadWaitForIt)
{
    UINT uReceived = 0;
    DWORD dwId = 0;
    HANDLE hThread = CreateThread(nullptr, 0, &ReadOneThreadMessage, &uReceived, CREATE_SUSPENDED, &dwId);
    EXPECT_TRUE(PostThreadMessage(dwId, WM_USER + 9, 0, 0));
    ResumeThread(hThread);
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    EXPECT_EQ(WM_USER + 9, uReceived);
    EXPECT_FALSE(PostThreadMessage(dwId, WM_USER, 0, 0));
}

TEST_F(MessageQueueTest, ShownTopLevelWindowTakesTheFocusAndFocusMovesWithMessages)
{
    const HWND hTop = MakeWindow(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(hTop, GetActiveWindow());
    EXPECT_EQ(hTop, GetFocus());
    const HWND hChild = MakeWindow();
    EXPECT_EQ(hTop, SetFocus(hChild));
    const std::vector<SLogged> aLog = Log();
    ASSERT_GE(aLog.size(), 2u);
    EXPECT_EQ(SLogged({hTop, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hChild)}), aLog[aLog.size() - 2]);
    EXPECT_EQ(SLogged({hChild, WM_SETFOCUS, reinterpret_cast<WPARAM>(hTop)}), aLog.back());
    std::vector<UINT> aPosted;
    MSG msg;
    while (PeekMessage(&msg, hTop, 0, 0, PM_REMOVE))
        aPosted.push_back(msg.message);
    EXPECT_EQ((std::vector<UINT>{WM_ACTIVATEAPP, WM_ACTIVATE, WM_SETFOCUS}), aPosted);
    DestroyWindow(hChild);
    DestroyWindow(hTop);
    EXPECT_EQ(nullptr, GetActiveWindow());
    EXPECT_EQ(nullptr, FindWindow("QUEUE TEST", "Test")) << "dead windows are not found";
}
} // namespace
