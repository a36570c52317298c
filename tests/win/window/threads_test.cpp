// Access from a worker thread: carried out by the window thread while the worker waits; tags and the
// caption from memory; focus unchanged.
#include <future>

#include "window_fixture.h"

namespace lectavo::testing {
namespace {

using ThreadsTest = WindowTest;

// Runs `work` on a new thread while this (the window) thread services messages until it ends.
template <typename Work>
void onWorker(Work work) {
  std::atomic<bool> finished{false};
  std::thread t([&] {
    work();
    finished = true;
  });
  pump(5000, [&] { return finished.load(); });
  t.join();
}

TEST_F(ThreadsTest, WorkerWriteRaisesTheEventOnTheWindowThreadWhileItWaits) {
  loadWindow();
  DWORD windowThread = GetCurrentThreadId();
  DWORD handlerThread = 0;
  std::atomic<bool> handlerDone{false};
  events().onTextChanged = [&] {
    handlerThread = GetCurrentThreadId();
    Sleep(50);  // the worker must still be waiting
    handlerDone = true;
  };
  bool doneWhenWriteReturned = false;
  Text readBack;
  int item = -2;
  onWorker([&] {
    writeText(Control::编辑框1, Prop::text, "工作线程写的");
    doneWhenWriteReturned = handlerDone.load();
    readBack = readText(Control::编辑框1, Prop::text);
    writeInt(Control::组合框1, Prop::currentItem, 2);
    item = readInt(Control::组合框1, Prop::currentItem);
  });
  EXPECT_EQ(handlerThread, windowThread);
  EXPECT_TRUE(doneWhenWriteReturned);
  EXPECT_EQ(events().textChanged.load(), 1);
  EXPECT_EQ(readBack, "工作线程写的");
  EXPECT_EQ(item, 2);
}

TEST_F(ThreadsTest, GiveFocusFromAWorkerLeavesTheFocusWhereItWas) {
  loadWindow();
  giveFocus(Control::编辑框2);
  ASSERT_EQ(GetFocus(), controlHwnd(Control::编辑框2));
  onWorker([] { giveFocus(Control::按钮1); });
  EXPECT_EQ(GetFocus(), controlHwnd(Control::编辑框2));
}

TEST_F(ThreadsTest, TagsAndCaptionAreServedWithoutTheWindowThread) {
  loadWindow();
  onWorker([] { writeText(Control::按钮1, Prop::caption, "停 止"); });
  // The window thread now services nothing until the worker is done: only memory can answer.
  auto worker = std::async(std::launch::async, [] {
    writeText(Control::按钮3, Prop::tag, " ");
    return readText(Control::按钮1, Prop::caption) + "|" + readText(Control::按钮3, Prop::tag);
  });
  ASSERT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(worker.get(), "停 止| ");
}

TEST_F(ThreadsTest, ConcurrentTagWritesAreNeverSeenHalfWritten) {
  loadWindow();
  const Text a(1000, 'a'), b(1000, 'b');
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; !stop; ++i) writeText(Control::编辑框1, Prop::tag, i % 2 ? a : b);
  });
  int torn = 0;
  for (int i = 0; i < 20000; ++i) {
    Text t = readText(Control::编辑框1, Prop::tag);
    if (!t.empty() && t != a && t != b) ++torn;
  }
  stop = true;
  writer.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace lectavo::testing
