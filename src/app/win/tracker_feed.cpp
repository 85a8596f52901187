#include "app/win/tracker_feed.h"

#include <ctime>
#include <utility>

#include "app/app_constants.h"
#include "app/win/workers.h"

namespace mb {
namespace {

constexpr uint32_t kDataFlowingMs = 1999;  // the tray stays green this long after data was applied

int64_t unixSecondsNow() { return static_cast<int64_t>(::_time64(nullptr)); }

}  // namespace

TrackerFeed::TrackerFeed()
    : api_(std::make_shared<ApiClient>(std::string())),
      state_(std::make_shared<TrackerState>()),
      stop_(std::make_shared<StopSignal>()),
      load_(std::make_shared<LoadReport>()),
      connectionSince_(unixSecondsNow()) {}

void TrackerFeed::start(HWND window, const std::string& trackerUrl, std::shared_ptr<EventLog> log) {
    const WorkerLink link{api_, state_, stop_, load_, std::move(log), window, trackerUrl, generation_};
    loaderThread_ = startWorker(loaderWorker, link);
    pollerThread_ = startWorker(pollerWorker, link);
}

void TrackerFeed::stop() {
    api_->stopConnection();
    stop_->set();
    // One deadline for both workers, so shutdown never waits longer than kThreadStopWaitMs.
    const ULONGLONG deadline = ::GetTickCount64() + kThreadStopWaitMs;
    for (UniqueKernelHandle* thread : {&pollerThread_, &loaderThread_}) {
        if (!*thread) continue;
        const ULONGLONG now = ::GetTickCount64();
        ::WaitForSingleObject(thread->get(), now < deadline ? static_cast<DWORD>(deadline - now) : 0);
        thread->reset();
    }
}

void TrackerFeed::setConnectionState(ConnectionState state) {
    if (state != connectionState_) connectionSince_ = unixSecondsNow();
    connectionState_ = state;
}

CallFailure TrackerFeed::lastFailure() {
    if (loadApplied_) return api_->record().lastFailure;
    CriticalSectionLock hold(load_->lock);
    return load_->lastFailure;
}

void TrackerFeed::restart(HWND window, const std::string& trackerUrl, std::shared_ptr<EventLog> log) {
    stop();
    ++generation_;
    api_ = std::make_shared<ApiClient>(std::string(), static_cast<uintptr_t>(generation_));
    state_ = std::make_shared<TrackerState>();
    stop_ = std::make_shared<StopSignal>();
    load_ = std::make_shared<LoadReport>();
    setConnectionState(Disconnected);
    loadApplied_ = false;
    lastDataTick_ = 0;
    start(window, trackerUrl, std::move(log));
}

bool TrackerFeed::takeDataChanged() {
    CriticalSectionLock hold(state_->stateLock);
    return std::exchange(state_->dataChanged, false);
}

int32_t TrackerFeed::dotPhase() {
    CriticalSectionLock hold(state_->stateLock);
    return state_->dotPhase;
}

double TrackerFeed::cacheAgeSeconds() {
    CriticalSectionLock hold(state_->stateLock);
    return state_->cacheAgeSeconds;
}

bool TrackerFeed::dataFlowing() const {
    return connectionState_ == Connected && ::GetTickCount() - lastDataTick_ <= kDataFlowingMs;
}

}  // namespace mb
