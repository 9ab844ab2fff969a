// Close, a Port change, Open and destruction asked for inside one of the
// port's own deliveries, under every sync method. Each case runs on a "UI
// thread" of its own, so that a deadlock fails the test instead of hanging it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "serial/ui_handoff.h"
#include "tests/serial/com_test_port.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kLimit = 5000ms;

// Runs `body` on a new thread, which is the UI thread of everything the body
// creates; false when it has not finished within twice kLimit (the thread is
// then abandoned).
bool RunOnFreshUiThread(std::function<void()> body) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  std::thread([body = std::move(body), done] {
    body();
    done->set_value();
  }).detach();
  return finished.wait_for(2 * kLimit) == std::future_status::ready;
}

// Waits for `signal` on the UI thread: serving the hand-off where the
// handlers run there, plainly where they run on the event thread.
bool AwaitOnUi(QueuedUiHandoff& ui, TSyncMethod sync, TestSignal& signal) {
  if (sync == smNone) return signal.WaitFor(kLimit);
  return ui.ServeUntilFor([&] { return signal.IsSet(); }, kLimit);
}

class InsideDelivery : public ::testing::TestWithParam<TSyncMethod> {};

std::string SyncName(const ::testing::TestParamInfo<TSyncMethod>& info) {
  switch (info.param) {
    case smThreadSync: return "ThreadSync";
    case smWindowSync: return "WindowSync";
    case smNone: return "NoSync";
  }
  return "Unknown";
}

TEST_P(InsideDelivery, DestroyingThePortFromItsHandlerEnds) {
  const TSyncMethod sync = GetParam();
  std::atomic<bool> destroyed{false};
  bool afterClose = false;
  ASSERT_TRUE(RunOnFreshUiThread([&] {
    QueuedUiHandoff ui;
    PortOnFake f;
    TestSignal gone;
    f.port->SetHandoff(&ui);
    f.port->SetSyncMethod(sync);
    f.port->OnAfterClose = [&](TCustomComPort&) { afterClose = true; };
    f.port->OnRxChar = [&](TCustomComPort&, std::int32_t) {
      // The handler itself goes with the port: only locals after this.
      TestSignal& signal = gone;
      std::unique_ptr<TComPort> victim = std::move(f.port);
      victim.reset();
      signal.Set();
    };
    f.port->Open();
    f.device->Receive("x");
    destroyed = AwaitOnUi(ui, sync, gone);
  })) << "destroying the port inside its delivery hangs";
  EXPECT_TRUE(destroyed);
  EXPECT_TRUE(afterClose);
}

TEST_P(InsideDelivery, APortChangeReopensOnTheNewDeviceAndDeliveryGoesOn) {
  const TSyncMethod sync = GetParam();
  ASSERT_TRUE(RunOnFreshUiThread([&] {
    QueuedUiHandoff ui;
    PortOnFake f;
    f.port->SetHandoff(&ui);
    f.port->SetSyncMethod(sync);
    std::mutex mutex;
    std::vector<std::string> received;
    std::atomic<int> deliveries{0};
    TestSignal delivered[3];
    f.port->OnRxChar = [&](TCustomComPort& sender, std::int32_t count) {
      std::string text;
      sender.ReadString(text, count);
      {
        std::lock_guard lock(mutex);
        received.push_back(text);
      }
      if (text == "first") sender.SetPort("COM3");
      if (text == "second") {
        sender.Close();
        EXPECT_FALSE(sender.Connected());
        sender.Open();
        EXPECT_TRUE(sender.Connected());
      }
      delivered[deliveries++].Set();
    };
    f.port->Open();
    f.device->Receive("first");
    ASSERT_TRUE(AwaitOnUi(ui, sync, delivered[0]));
    EXPECT_TRUE(f.port->Connected());
    EXPECT_EQ(f.port->Port(), "COM3");
    ASSERT_TRUE(f.device->AwaitWaits(2, kLimit)) << "no thread waits on the new device";
    f.device->Receive("second");
    ASSERT_TRUE(AwaitOnUi(ui, sync, delivered[1]));
    ASSERT_TRUE(f.device->AwaitWaits(3, kLimit));
    f.device->Receive("third");
    ASSERT_TRUE(AwaitOnUi(ui, sync, delivered[2]));
    EXPECT_TRUE(f.port->Connected());
    EXPECT_TRUE(f.device->IsOpen());
    const auto opens = f.device->CallsOf("Open");
    ASSERT_EQ(opens.size(), 3u);
    EXPECT_EQ(opens[0].text, "COM1");
    EXPECT_EQ(opens[1].text, "COM3");
    EXPECT_EQ(opens[2].text, "COM3");
    f.port->Close();
    EXPECT_FALSE(f.device->IsOpen());
    std::lock_guard lock(mutex);
    EXPECT_EQ(received, (std::vector<std::string>{"first", "second", "third"}));
  }));
}

TEST_P(InsideDelivery, CloseTakesEffectBeforeItReturnsAndStopsTheDelivery) {
  const TSyncMethod sync = GetParam();
  ASSERT_TRUE(RunOnFreshUiThread([&] {
    QueuedUiHandoff ui;
    PortOnFake f;
    f.port->SetHandoff(&ui);
    f.port->SetSyncMethod(sync);
    std::atomic<bool> closedInside{false};
    std::atomic<bool> ringAfterClose{false};
    TestSignal handled;
    f.port->OnRxChar = [&](TCustomComPort& sender, std::int32_t) {
      sender.Close();
      closedInside = !sender.Connected() && !f.device->IsOpen();
      handled.Set();
    };
    f.port->OnRing = [&](TCustomComPort&) { ringAfterClose = true; };
    f.port->Open();
    f.device->Feed("x");
    f.device->QueueEvents(ev::RXCHAR | ev::RING);
    ASSERT_TRUE(AwaitOnUi(ui, sync, handled));
    EXPECT_TRUE(closedInside);
    EXPECT_FALSE(ringAfterClose) << "a closed port delivered the rest of the batch";
    EXPECT_FALSE(f.port->ThreadCreated());
  }));
}

INSTANTIATE_TEST_SUITE_P(EverySyncMethod, InsideDelivery,
                         ::testing::Values(smThreadSync, smWindowSync, smNone), SyncName);

TEST(InsideDelivery, DestroyingThePortInANestedLoopOfItsHandlerEnds) {
  std::atomic<bool> destroyed{false};
  ASSERT_TRUE(RunOnFreshUiThread([&] {
    QueuedUiHandoff ui;
    PortOnFake f;
    f.port->SetHandoff(&ui);
    f.port->OnRxChar = [&](TCustomComPort&, std::int32_t) {
      // A modal box's loop: it serves the hand-off, and the user's command
      // it runs destroys the port (and this handler with it).
      std::atomic<bool>& flag = destroyed;
      QueuedUiHandoff& handoff = ui;
      handoff.Post([&f, &flag] {
        f.port.reset();
        flag = true;
      });
      handoff.ServeUntilFor([&flag] { return flag.load(); }, kLimit);
    };
    f.port->Open();
    f.device->Receive("x");
    EXPECT_TRUE(ui.ServeUntilFor([&] { return destroyed.load(); }, kLimit));
  })) << "destroying the port in a nested loop hangs";
  EXPECT_TRUE(destroyed);
}

TEST(InsideDelivery, WithoutSyncAndWithoutAServedHandoffCloseStillCloses) {
  PortOnFake f;  // no hand-off: nothing serves the component's own queue
  f.port->SetSyncMethod(smNone);
  std::promise<bool> closed;
  f.port->OnRxChar = [&](TCustomComPort& sender, std::int32_t) {
    sender.Close();
    closed.set_value(!sender.Connected());
  };
  f.port->Open();
  f.device->Receive("x");
  std::future<bool> result = closed.get_future();
  ASSERT_EQ(result.wait_for(kLimit), std::future_status::ready);
  EXPECT_TRUE(result.get());
  EXPECT_FALSE(f.port->Connected());
  EXPECT_FALSE(f.device->IsOpen());
}

TEST(InsideDelivery, WithoutSyncAHandlerCloseDuringTheUiCloseIsRefused) {
  QueuedUiHandoff ui;
  PortOnFake f;
  f.port->SetHandoff(&ui);
  f.port->SetSyncMethod(smNone);
  std::promise<void> inHandler;
  std::promise<void> uiClosing;
  std::atomic<bool> connectedAfterHandlerClose{false};
  int beforeClose = 0;
  f.port->OnRxChar = [&](TCustomComPort& sender, std::int32_t) {
    inHandler.set_value();
    uiClosing.get_future().wait();
    sender.Close();
    connectedAfterHandlerClose = sender.Connected();
  };
  f.port->OnBeforeClose = [&](TCustomComPort&) {
    ++beforeClose;
    uiClosing.set_value();
  };
  f.port->Open();
  f.device->Receive("x");
  ASSERT_EQ(inHandler.get_future().wait_for(kLimit), std::future_status::ready);
  // Both threads read the component's state meanwhile.
  EXPECT_TRUE(f.port->Connected());
  EXPECT_TRUE(f.port->ThreadCreated());
  f.port->Close();
  EXPECT_FALSE(f.port->Connected());
  EXPECT_TRUE(connectedAfterHandlerClose) << "the UI's close was under way";
  EXPECT_EQ(beforeClose, 1);
}

}  // namespace
