// Closing running messenger windows: real stand-in processes, recorded and real message boxes.
#include "boxes.h"
#include "instances.h"
#include "scratch.h"
#include "texts.h"
#include "winwait.h"

#include <gtest/gtest.h>

namespace {

const std::string DIR = "C:\\qwilltest\\instances";

class Instances : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureAppClass();
        MakeFolders(DIR);
        CopyFileA(BuiltFile("messenger\\qwill.exe").c_str(), (DIR + "\\qwill.exe").c_str(), FALSE);
    }
    static void TearDownTestSuite() { RemoveTree(DIR); }
    void TearDown() override
    {
        for (auto &pi : running)
            EndProcess(&pi, 0);
    }

    // Starts a stand-in and waits for its window.
    HWND Start(const std::string &args, const char *className = "qwill_class")
    {
        PROCESS_INFORMATION pi;
        if (!StartProcess("\"" + DIR + "\\qwill.exe\" " + args, &pi))
            return NULL;
        running.push_back(pi);
        HWND wnd = NULL;
        PumpUntil([&] { return (wnd = TopWindowOfProcess(pi.dwProcessId, className)) != NULL; });
        char cls[100] = "";
        GetClassNameA(wnd, cls, sizeof(cls));
        EXPECT_STRCASEEQ(className, cls);  // class atoms are shared and case-blind
        return wnd;
    }
    bool Ended(size_t i) { return WaitForSingleObject(running[i].hProcess, 10000) == WAIT_OBJECT_0; }
    static void ExpectTheQuestion(const std::vector<BoxSeen> &boxes)
    {
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(TEXT_CLOSE_MESSENGER, boxes[0].text);
        EXPECT_EQ("", boxes[0].caption);
        EXPECT_EQ((UINT)MB_OKCANCEL, boxes[0].style);
    }

    std::vector<PROCESS_INFORMATION> running;
    TBoxOwner owner;
};

TEST_F(Instances, NothingRunningAsksNothing)
{
    Start("/class qwill_clas", "qwill_clas");  // one letter short of the prefix
    EXPECT_TRUE(CloseRunningInstances(&owner));
    EXPECT_TRUE(owner.boxes.empty());
}

TEST_F(Instances, OneQuestionClosesEveryWindow)
{
    HWND a = Start("");
    HWND b = Start("/class QWILL_CLASS", "QWILL_CLASS");
    HWND c = Start("/class qwill_class_main", "qwill_class_main");
    ASSERT_TRUE(a && b && c);
    EXPECT_TRUE(CloseRunningInstances(&owner));
    ExpectTheQuestion(owner.boxes);
    EXPECT_TRUE(Ended(0));
    EXPECT_TRUE(Ended(1));
    EXPECT_TRUE(Ended(2));
}

TEST_F(Instances, CancelClosesNothing)
{
    HWND a = Start("");
    owner.answers = {IDCANCEL};
    EXPECT_FALSE(CloseRunningInstances(&owner));
    EXPECT_EQ(1u, owner.boxes.size());
    Sleep(200);
    EXPECT_TRUE(IsWindow(a));
}

TEST_F(Instances, AWindowThatIgnoresTheRequestStays)
{
    HWND a = Start("/ignoreclose");
    EXPECT_TRUE(CloseRunningInstances(&owner));
    EXPECT_TRUE(IsWindow(a));
}

TEST_F(Instances, AHungMessengerCannotHangTheSetup)
{
    HWND a = Start("/hang");
    DWORD start = GetTickCount();
    EXPECT_TRUE(CloseRunningInstances(&owner));
    EXPECT_LT(GetTickCount() - start, CLOSE_TIMEOUT_MS + 5000);  // bounded, not a speed check
    EXPECT_TRUE(IsWindow(a));
}

TEST_F(Instances, ARealMessageBoxOwnedByTheWindow)
{
    Start("");
    TWin win;
    ASSERT_TRUE(win.Create(NULL, "owner", WS_POPUP));
    BoxAnswerer answerer({IDOK});
    EXPECT_TRUE(CloseRunningInstances(&win));
    ExpectTheQuestion(answerer.boxes);
    EXPECT_TRUE(Ended(0));
}

}  // namespace
