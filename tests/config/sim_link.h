// A link whose far end is the simulated trainer's protocol, in-process and
// without a terminal: every frame sent goes through the trainer's decoder,
// every answer through a receive ring, on the test's own clock.
#pragma once

#include "link/trainer_link.h"
#include "protocol/frame_codec.h"
#include "protocol/receive_ring.h"
#include "tools/trainersim/parameters_sim.h"
#include "tools/trainersim/slots_sim.h"
#include "tools/trainersim/trainer_protocol.h"

#include <chrono>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace crvl::testing {

class SimLink : public ILink, private sim::ISimTransport {
public:
    sim::TrainerModel model;
    std::set<int> goodPorts = {1};
    std::vector<int> opened;
    std::vector<std::string> log; // the trainer's log lines

    SimLink() : protocol_(model, *this, [this](const std::string& line) { log.push_back(line); }) {
        sim::InstallParameterFeature(protocol_);
        sim::InstallSlotFeature(protocol_);
    }

    sim::TrainerProtocol& Protocol() { return protocol_; }

    // The messages the trainer received, by name, in order.
    std::vector<std::string> Received() const {
        std::vector<std::string> names;
        for (const std::string& line : log) {
            if (line.rfind("rx ", 0) == 0) {
                names.push_back(line.substr(3, line.find(" [") - 3));
            }
        }
        return names;
    }

    // Moves the trainer's clock (delayed answers become due).
    void Advance(std::chrono::milliseconds step) {
        now_ += step;
        protocol_.Tick(now_);
    }

    int Open(int portNumber, LinkNotify notify) override {
        if (open_) {
            return 1;
        }
        opened.push_back(portNumber);
        if (goodPorts.count(portNumber) == 0 || protocol_.HungUp()) {
            return 0;
        }
        open_ = true;
        incoming_.clear(); // nothing of an earlier opening is handed out
        notify_ = std::move(notify);
        return 1;
    }
    int Close() override {
        if (!open_) {
            return 0;
        }
        open_ = false;
        return 1;
    }
    int Send(const std::uint8_t* payload, std::size_t length) override {
        if (!open_ || dead_ || length == 0 || length > kMaxPayload) {
            return 0;
        }
        std::vector<std::uint8_t> frame(MaxEncodedSize(length));
        frame.resize(EncodeFrame({payload, length}, frame.data()));
        protocol_.OnBytes(frame, now_);
        protocol_.Tick(now_);
        return 1;
    }
    std::size_t Receive(std::uint8_t* buffer) override {
        if (incoming_.empty()) {
            return 0;
        }
        const Bytes message = incoming_.front();
        incoming_.pop_front();
        std::copy(message.begin(), message.end(), buffer);
        return message.size();
    }
    bool IsOpen() const override { return open_; }
    bool LineDead() const override { return open_ && dead_; }
    std::string AccessAdvice(int) const override { return {}; }
    using ILink::Send;

private:
    void Write(std::span<const std::uint8_t> bytes) override {
        for (const std::uint8_t byte : bytes) {
            if (ring_.Feed(byte) == ReceiveRing::FeedResult::Committed) {
                std::uint8_t message[kMaxPayload];
                const std::size_t n = ring_.Take(message);
                incoming_.emplace_back(message, message + n);
                if (notify_) {
                    notify_();
                }
            }
        }
    }
    // A hang-up ends the reader: one notification, then a dead link.
    void HangUp() override {
        dead_ = true;
        if (open_ && notify_) {
            notify_();
        }
    }

    sim::TrainerProtocol protocol_;
    ReceiveRing ring_;
    std::deque<Bytes> incoming_;
    sim::SimTime now_{};
    bool open_ = false;
    bool dead_ = false;
    LinkNotify notify_;
};

} // namespace crvl::testing
