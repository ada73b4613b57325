// In-memory stand-ins for the link and the dialog, so the connection logic
// runs without a port and without a display.
#pragma once

#include "config/core/config_view.h"
#include "config/core/link_state.h"
#include "link/trainer_link.h"

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace crvl::testing {

// A link whose ports open when listed in goodPorts; sent payloads are
// recorded, received messages come from incoming.
class FakeLink : public ILink {
public:
    std::set<int> goodPorts;
    std::vector<int> opened;
    std::vector<Bytes> sent;
    std::deque<Bytes> incoming;
    int closes = 0;
    bool dead = false; // the reader has ended: nothing sent or received
    // Ports this user may not open, with the advice for them.
    std::map<int, std::string> forbiddenPorts;
    // Called for every payload that was sent (a scripted trainer).
    std::function<void(const Bytes&)> responder;

    int Open(int portNumber, LinkNotify notify) override {
        if (open_) {
            return 1;
        }
        opened.push_back(portNumber);
        if (goodPorts.count(portNumber) == 0) {
            return 0;
        }
        open_ = true;
        dead = false;
        incoming.clear(); // nothing of an earlier opening is handed out
        notify_ = std::move(notify);
        return 1;
    }
    int Close() override {
        if (!open_) {
            return 0;
        }
        open_ = false;
        ++closes;
        return 1;
    }
    int Send(const std::uint8_t* payload, std::size_t length) override {
        if (!open_ || dead || length == 0 || length > kMaxPayload) {
            return 0;
        }
        sent.emplace_back(payload, payload + length);
        if (responder) {
            responder(sent.back());
        }
        return 1;
    }
    std::size_t Receive(std::uint8_t* buffer) override {
        if (incoming.empty()) {
            return 0;
        }
        const Bytes message = incoming.front();
        incoming.pop_front();
        std::memcpy(buffer, message.data(), message.size());
        return message.size();
    }
    bool IsOpen() const override { return open_; }
    bool LineDead() const override { return open_ && dead; }
    std::string AccessAdvice(int portNumber) const override {
        const auto found = forbiddenPorts.find(portNumber);
        return found == forbiddenPorts.end() ? std::string() : found->second;
    }
    using ILink::Send;

    // Queues a message and raises the notification, as the reader does.
    void Deliver(const Bytes& message) {
        incoming.push_back(message);
        if (notify_) {
            notify_();
        }
    }
    // A read failure: one notification and a dead link.
    void FailRead() {
        dead = true;
        if (notify_) {
            notify_();
        }
    }

private:
    bool open_ = false;
    LinkNotify notify_;
};

// Records every call as one line of text; questions are answered from a
// script.
class RecordingView : public ConfigView {
public:
    std::vector<std::string> events;
    std::deque<Answer> answers;
    std::vector<std::string> questions; // the text of every Ask
    ParameterRecord shown;
    ParameterRecord toCollect;
    std::string status;
    std::string connectText = "Connect";
    std::string batteryText;
    LampColour connectionColour = LampColour::Red;
    LampLight connectionLight = LampLight::Lit;
    LampColour batteryColour = LampColour::Red;
    LampLight batteryLight = LampLight::Off;
    bool update = false;
    bool customScenarios = false;
    bool loadDefaults = false;
    bool waitCursor = false;
    bool ended = false;
    bool monitorConnected = false;
    int uploadClosings = 0;
    std::function<void()> onUpload;
    std::function<void()> onMonitor;

    static const char* Name(LampColour colour) {
        switch (colour) {
        case LampColour::Red:
            return "red";
        case LampColour::Green:
            return "green";
        case LampColour::Yellow:
            return "yellow";
        case LampColour::Blue:
            return "blue";
        }
        return "?";
    }

    void SetConnectionLamp(LampColour colour, LampLight light) override {
        connectionColour = colour;
        connectionLight = light;
        events.push_back(std::string("lamp ") + Name(colour));
    }
    void SetBatteryLamp(LampColour colour, LampLight light) override {
        batteryColour = colour;
        batteryLight = light;
    }
    void SetStatusText(const std::string& text) override {
        status = text;
        events.push_back("status " + text);
    }
    void SetBatteryText(const std::string& text) override { batteryText = text; }
    void SetConnectButtonText(const std::string& text) override { connectText = text; }
    void EnableButton(ConfigButton button, bool enabled) override {
        switch (button) {
        case ConfigButton::Update:
            update = enabled;
            break;
        case ConfigButton::CustomScenarios:
            customScenarios = enabled;
            break;
        case ConfigButton::LoadDefaults:
            loadDefaults = enabled;
            break;
        }
    }
    void SetWaitCursor(bool on) override { waitCursor = on; }
    // No event loop here: what the logic leaves for later runs at once; it
    // always asks for it as the last thing of its step.
    void RunLater(std::function<void()> fn) override { fn(); }
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon /*icon*/) override {
        events.push_back("message " + caption + ": " + text);
    }
    Answer Ask(const std::string& text, const std::string& caption, Question /*buttons*/,
               MessageIcon /*icon*/) override {
        events.push_back("ask " + caption);
        questions.push_back(text);
        const Answer answer = answers.empty() ? Answer::Cancel : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    void ShowParameters(const ParameterRecord& record) override {
        shown = record;
        events.push_back("show parameters");
    }
    ParameterRecord CollectParameters() override { return toCollect; }
    void EndDialog() override {
        ended = true;
        events.push_back("end");
    }
    void RunUploadDialog() override {
        events.push_back("upload dialog");
        if (onUpload) {
            onUpload();
        }
    }
    void RunMonitorDialog() override {
        events.push_back("monitor dialog");
        if (onMonitor) {
            onMonitor();
        }
    }
    void CloseUploadDialog() override { ++uploadClosings; }
    void SetMonitorConnected(bool connected) override { monitorConnected = connected; }

    bool Saw(const std::string& event) const {
        for (const std::string& e : events) {
            if (e == event) {
                return true;
            }
        }
        return false;
    }
};

} // namespace crvl::testing
