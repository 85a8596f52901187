// A scriptable NTP server on 127.0.0.1 for the clock tests: each request takes the next
// scripted answer (a reply, maybe late, or silence); requests past the script get silence.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/win/unique_handle.h"

namespace mb::test {

class UdpResponder {
public:
    struct Answer {
        std::vector<uint8_t> bytes;  // sent as one datagram
        DWORD delayMs = 0;
        bool silent = false;
    };

    static Answer reply(uint32_t transmitSeconds, DWORD delayMs = 0) {
        std::vector<uint8_t> bytes(48, 0);
        bytes[0] = 0x1C;
        bytes[40] = static_cast<uint8_t>(transmitSeconds >> 24);
        bytes[41] = static_cast<uint8_t>(transmitSeconds >> 16);
        bytes[42] = static_cast<uint8_t>(transmitSeconds >> 8);
        bytes[43] = static_cast<uint8_t>(transmitSeconds);
        return {bytes, delayMs, false};
    }
    static Answer truncated(uint32_t transmitSeconds) {
        Answer answer = reply(transmitSeconds);
        answer.bytes.resize(47);
        return answer;
    }
    static Answer silence() { return {{}, 0, true}; }

    UdpResponder() {
        WSADATA data{};
        started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        socket_.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;  // a free port chosen by the system
        int length = sizeof address;
        const DWORD pollMs = 10;
        if (!socket_ || ::bind(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&pollMs),
                         sizeof pollMs) != 0) {
            socket_.reset();
            return;
        }
        port_ = std::to_string(ntohs(address.sin_port));
        worker_ = std::thread([this] { serve(); });
    }

    ~UdpResponder() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();  // the loop polls the flag every 10 ms
        socket_.reset();
        if (started_) ::WSACleanup();
    }

    UdpResponder(const UdpResponder&) = delete;
    UdpResponder& operator=(const UdpResponder&) = delete;

    bool ready() const { return static_cast<bool>(socket_) && !port_.empty(); }
    const std::string& port() const { return port_; }

    void script(std::vector<Answer> answers) {
        std::lock_guard<std::mutex> hold(mutex_);
        for (Answer& answer : answers) script_.push_back(std::move(answer));
    }

    int requests() const { return requests_; }
    int replies() const { return replies_; }

    // GetTickCount64 at the arrival of each request so far.
    std::vector<uint64_t> arrivals() {
        std::lock_guard<std::mutex> hold(mutex_);
        return arrivals_;
    }
    std::vector<uint8_t> lastRequest() {
        std::lock_guard<std::mutex> hold(mutex_);
        return lastRequest_;
    }

    bool waitForRequests(int count, DWORD timeoutMs) const { return waitFor(requests_, count, timeoutMs); }
    bool waitForReplies(int count, DWORD timeoutMs) const { return waitFor(replies_, count, timeoutMs); }

private:
    struct Pending {
        uint64_t dueTick;
        sockaddr_in to;
        std::vector<uint8_t> bytes;
    };

    static bool waitFor(const std::atomic<int>& counter, int count, DWORD timeoutMs) {
        const uint64_t end = ::GetTickCount64() + timeoutMs;
        while (counter < count) {
            if (::GetTickCount64() >= end) return false;
            ::Sleep(5);
        }
        return true;
    }

    void serve() {
        std::vector<Pending> pending;
        while (!stop_) {
            uint8_t buffer[512];
            sockaddr_in from{};
            int fromLength = sizeof from;
            const int received = ::recvfrom(socket_.get(), reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                                            reinterpret_cast<sockaddr*>(&from), &fromLength);
            const uint64_t now = ::GetTickCount64();
            if (received > 0) {
                Answer answer = silence();
                {
                    std::lock_guard<std::mutex> hold(mutex_);
                    arrivals_.push_back(now);
                    lastRequest_.assign(buffer, buffer + received);
                    if (!script_.empty()) {
                        answer = std::move(script_.front());
                        script_.pop_front();
                    }
                }
                ++requests_;
                if (!answer.silent) pending.push_back({now + answer.delayMs, from, std::move(answer.bytes)});
            }
            for (auto it = pending.begin(); it != pending.end();) {
                if (::GetTickCount64() < it->dueTick) {
                    ++it;
                    continue;
                }
                ::sendto(socket_.get(), reinterpret_cast<const char*>(it->bytes.data()),
                         static_cast<int>(it->bytes.size()), 0, reinterpret_cast<const sockaddr*>(&it->to),
                         sizeof it->to);
                ++replies_;
                it = pending.erase(it);
            }
        }
    }

    bool started_ = false;
    UniqueSocket socket_;
    std::string port_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::atomic<int> replies_{0};
    std::mutex mutex_;
    std::deque<Answer> script_;
    std::vector<uint64_t> arrivals_;
    std::vector<uint8_t> lastRequest_;
};

}  // namespace mb::test
