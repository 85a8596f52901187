#include "app/win/workers.h"

#include <utility>
#include <vector>

#include "app/app_constants.h"

namespace mb {
namespace {

std::unique_ptr<WorkerLink> adopt(void* parameter) {
    return std::unique_ptr<WorkerLink>(static_cast<WorkerLink*>(parameter));
}

bool stopping(const WorkerLink& link) { return link.stop->isSet(); }

// The loader's last failure, for the status box and (folded) for the log.
void reportLoadFailure(const WorkerLink& link, const std::string& what, const CallFailure& failure) {
    {
        CriticalSectionLock hold(link.load->lock);
        link.load->lastFailure = failure;
    }
    if (link.log) link.log->fold("load", what + ": " + describeFailure(failure));
}

// Fetches until it succeeds or the stop flag is set, pausing kLoaderRetryMs between
// attempts; true on success.
template <typename Fetch>
bool fetchUntilDone(const WorkerLink& link, Fetch&& fetch) {
    while (!stopping(link)) {
        if (fetch()) return true;
        if (!link.stop->pauseFor(kLoaderRetryMs)) break;
    }
    return false;
}

// Fetches and stores the channels of each boss once, in order, until the stop flag is set;
// returns the bosses whose fetch failed. After the load is announced a stored boss raises
// dataChanged, so the window shows it.
std::vector<const Boss*> fetchChannelsOnce(const WorkerLink& link, ApiClient& client,
                                           const std::vector<const Boss*>& bosses, bool announced) {
    std::vector<const Boss*> failed;
    for (const Boss* boss : bosses) {
        if (stopping(link)) break;
        std::vector<ChannelStatus> channels;
        if (!client.fetchChannelStatus(*boss, channels)) {
            failed.push_back(boss);
            if (!announced) reportLoadFailure(link, "Boss " + boss->id, client.record().lastFailure);
            continue;
        }
        CriticalSectionLock hold(link.state->stateLock);
        BossEntry& entry = link.state->bossStatus[boss->id];
        entry.boss = *boss;
        entry.channels = std::move(channels);
        if (announced) link.state->dataChanged = true;
    }
    return failed;
}

}  // namespace

StopSignal::StopSignal() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void StopSignal::set() {
    set_.store(true);
    ::SetEvent(event_.get());
}

bool StopSignal::pauseFor(uint32_t totalMs) const {
    if (event_) return ::WaitForSingleObject(event_.get(), totalMs) == WAIT_TIMEOUT && !isSet();
    // Without its event (the system refused one): short sleeps, looking at the flag between.
    for (uint32_t waited = 0; waited < totalMs; waited += kStopCheckMs) {
        if (isSet()) return false;
        ::Sleep(kStopCheckMs);
    }
    return !isSet();
}

DWORD WINAPI loaderWorker(void* parameter) {
    std::unique_ptr<WorkerLink> link = adopt(parameter);
    ApiClient client(link->trackerUrl);
    const ULONGLONG started = ::GetTickCount64();

    std::vector<Boss> bosses;
    const auto fetchBosses = [&] {
        if (client.fetchBosses(bosses)) return true;
        reportLoadFailure(*link, "Loading the boss list failed", client.record().lastFailure);
        return false;
    };
    if (!fetchUntilDone(*link, fetchBosses)) return 0;
    {
        CriticalSectionLock hold(link->state->stateLock);
        link->state->bosses = bosses;
    }

    // One pass over every boss, then the load is announced; a boss whose fetch failed is
    // tried again after the others, every second, so one broken record on the server never
    // keeps the window empty. Until then the poller's answers fill its channels.
    std::vector<const Boss*> missing;
    for (const Boss& boss : bosses) missing.push_back(&boss);
    missing = fetchChannelsOnce(*link, client, missing, false);
    // Through the load's topic, so that the line says how often the list failed before.
    if (link->log)
        link->log->fold("load", "Loaded " + std::to_string(bosses.size()) + " bosses in " +
                                    std::to_string(::GetTickCount64() - started) + " ms, " +
                                    std::to_string(missing.size()) + " of them without their channels for now");

    // Also after a stop during that pass: the boss list is stored. A window that is already
    // gone simply drops the message.
    ::PostMessageW(link->mainWindow, kTrackerLoadedMessage, static_cast<WPARAM>(link->generation), 0);
    while (!missing.empty() && link->stop->pauseFor(kLoaderRetryMs)) {
        missing = fetchChannelsOnce(*link, client, missing, true);
    }
    return 0;
}

DWORD WINAPI pollerWorker(void* parameter) {
    std::unique_ptr<WorkerLink> link = adopt(parameter);
    AllStatusMap fetched;
    while (!stopping(*link)) {
        fetched.clear();
        const bool polled = link->api->fetchAllStatus(fetched);
        // Logged from the first poll with the tracker's address on (before the initial load
        // the client has none): the connection's changes, each repeat counted, not written.
        if (link->log && !link->api->baseUrlText().empty()) {
            link->log->fold("poll",
                            polled ? "Connected" : "Disconnected: " + describeFailure(link->api->record().lastFailure));
        }
        if (polled) {
            CriticalSectionLock hold(link->state->stateLock);
            for (auto& [bossId, channels] : fetched) {
                link->state->bossStatus[bossId].channels = std::move(channels);
            }
            link->state->dataChanged = true;
            link->state->dotPhase = nextDotPhase(link->state->dotPhase);
        } else {
            link->stop->pauseFor(kPollFailurePauseMs);
        }

        // The cache age is asked for even when the stop came during the pause above.
        const double cacheAge = link->api->probeStatus();
        {
            CriticalSectionLock hold(link->state->stateLock);
            link->state->cacheAgeSeconds = cacheAge;
        }
        link->stop->pauseFor(kPollPauseMs);
    }
    return 0;
}

UniqueKernelHandle startWorker(LPTHREAD_START_ROUTINE procedure, const WorkerLink& link) {
    auto copy = std::make_unique<WorkerLink>(link);
    UniqueKernelHandle thread(::CreateThread(nullptr, 0, procedure, copy.get(), 0, nullptr));
    if (thread) static_cast<void>(copy.release());  // the thread owns it now
    return thread;
}

}  // namespace mb
