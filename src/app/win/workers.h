// The loader and poller threads that fill the shared tracker state.
//
// A worker may be blocked in a request for longer than shutdown waits for it. So nothing a
// worker touches belongs to the application object alone: the shared client, the state and
// the stop flag are held through shared ownership, and every worker thread keeps its own
// WorkerLink until it returns. A worker that wakes after the application object is gone
// finds everything it needs still alive, sees the stop flag and ends.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "core/win/event_log.h"
#include "core/win/tracker_state.h"
#include "core/win/unique_handle.h"
#include "server/win/api_client.h"

namespace mb {

// Set once at shutdown. The workers look at it between steps and pause on it, so a pause ends
// the moment it is set and costs no wake-ups while it lasts.
class StopSignal {
public:
    StopSignal();
    void set();
    bool isSet() const { return set_.load(); }
    // Waits up to totalMs; false when the stop came first (or had come).
    bool pauseFor(uint32_t totalMs) const;

private:
    std::atomic<bool> set_{false};
    UniqueKernelHandle event_;  // manual-reset, signalled by set()
};

// What the loader has to tell while it runs, for the status box: its private client's last
// failure, until the initial load is announced.
struct LoadReport {
    CriticalSection lock;
    CallFailure lastFailure;
};

struct WorkerLink {
    std::shared_ptr<ApiClient> api;       // the shared client (poller and status probe)
    std::shared_ptr<TrackerState> state;  // guarded by state->stateLock
    std::shared_ptr<StopSignal> stop;     // set once at shutdown
    std::shared_ptr<LoadReport> load;     // the loader's failures
    std::shared_ptr<EventLog> log;        // may be null
    HWND mainWindow = nullptr;            // where the loader posts WM_TRACKER_LOADED
    std::string trackerUrl;               // base URL of the loader's private client
    uint64_t generation = 0;              // WM_TRACKER_LOADED's wParam: which tracker it is for
};

// Thread procedures. The parameter is a WorkerLink allocated with new; the thread owns it
// from its first instruction on and releases it when it returns 0.
DWORD WINAPI loaderWorker(void* parameter);
DWORD WINAPI pollerWorker(void* parameter);

// Starts a worker with its own copy of link; a null handle when the thread could not start.
UniqueKernelHandle startWorker(LPTHREAD_START_ROUTINE procedure, const WorkerLink& link);

}  // namespace mb
