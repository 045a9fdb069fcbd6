#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instrument_clock.h"

namespace sim {

// What the simulated instrument does to its next answer, on demand of a test.
struct Fault {
    enum Kind { ErrorCode, BadCrc, Silence, Noise, Split, Late, OtherData };
    Kind kind = Silence;
    int errorCode = 0;         // ErrorCode: answer "$code" instead
    std::string noise;         // Noise: bytes sent before the frame
    int parts = 2;             // Split: the frame arrives over this many deliveries
    std::uint32_t delayMs = 0; // Late: the frame is held back this long
    std::string data;          // OtherData: a well-formed answer carrying this data text instead

    static Fault Error(int code) { return make(ErrorCode, [&](Fault& f) { f.errorCode = code; }); }
    static Fault Corrupt() { return make(BadCrc, [](Fault&) {}); }
    static Fault Mute() { return make(Silence, [](Fault&) {}); }
    static Fault NoiseFirst(std::string bytes) { return make(Noise, [&](Fault& f) { f.noise = std::move(bytes); }); }
    static Fault SplitInto(int count) { return make(Split, [&](Fault& f) { f.parts = count; }); }
    static Fault Delay(std::uint32_t ms) { return make(Late, [&](Fault& f) { f.delayMs = ms; }); }
    static Fault AnswerWith(std::string text) { return make(OtherData, [&](Fault& f) { f.data = std::move(text); }); }

private:
    template <typename Set>
    static Fault make(Kind kind, Set set) {
        Fault f;
        f.kind = kind;
        set(f);
        return f;
    }
};

// A ЗКВ-7 as seen from its serial line: it takes request frames, keeps the four memory types as
// byte-addressed registers and answers as the real one frames its answers. It knows no time of
// its own; the host passes the present millisecond count.
class Instrument {
public:
    static constexpr int kMemoryTypes = 4;
    static constexpr std::size_t kArchiveRecordSize = 64;
    static constexpr int kArchiveRecords = 512;

    explicit Instrument(int address = 1);

    int address() const { return address_; }
    void setAddress(int address) { address_ = address; }

    // Registers.
    std::vector<std::uint8_t>& memory(int type) { return memory_.at(static_cast<std::size_t>(type)); }
    void setByte(int type, int reg, std::uint8_t value);
    void setWord(int type, int reg, std::uint16_t value);
    void setFloat(int type, int reg, float value);
    void setBlock(int type, int reg, const std::vector<std::uint8_t>& bytes);
    std::uint8_t byteAt(int type, int reg) const;
    std::uint16_t wordAt(int type, int reg) const;
    float floatAt(int type, int reg) const;
    std::vector<std::uint8_t> blockAt(int type, int reg, std::size_t count) const;

    // Present values of command 1: 1 the reference pressure, 5..8 the channels' currents.
    void setSource(int source, double value);
    void setSourceText(int source, std::string text);

    // The current the instrument puts out, as the last emulation command (registers 43, 44, 45
    // of memory type 0) asked: its emulation minimum, its maximum, or a given current, in mA.
    enum class EmulationMode { Off, Minimum, Maximum, Current };
    struct Emulation {
        EmulationMode mode = EmulationMode::Off;
        float milliamps = 0.0f;
    };
    const Emulation& emulation() const { return emulation_; }

    // Faults apply to the next answers, one each, in the order pushed.
    void pushFault(const Fault& fault, int times = 1);
    void clearFaults() { faults_.clear(); }

    // Traffic.
    void receive(std::string_view bytes, std::uint32_t nowMs);
    // One delivery that is due, or nothing.
    std::string transmit(std::uint32_t nowMs);
    bool hasPendingOutput() const { return !outbox_.empty(); }

    // Bodies of the well-formed requests received ("1;10;16;2;4;"), oldest first.
    const std::vector<std::string>& requests() const { return requests_; }
    void clearRequests() { requests_.clear(); }

    // Frames as the instrument writes them.
    static std::string DataAnswer(int address, std::string_view data);
    static std::string ErrorAnswer(int address, int code);

private:
    struct Delivery {
        std::string bytes;
        std::uint32_t dueMs;
    };

    void handleFrame(std::string_view frame, std::uint32_t nowMs);
    std::string answerFor(const std::vector<std::string>& fields);
    std::string measure(long long source) const;
    std::string readRegister(int type, int reg, int dataType);
    std::string writeRegister(int type, int reg, int dataType, const std::string& value);
    std::size_t blockReadLength(int type, int reg) const;
    bool inRange(int type, int reg, std::size_t count) const;
    void queue(std::string frame, std::uint32_t nowMs);
    void setFactoryCalibration();
    static bool IsEmulationCommand(int type, int reg);
    std::string emulate(int reg, int dataType, const std::string& value);

    int address_;
    std::vector<std::vector<std::uint8_t>> memory_;
    std::map<int, std::string> sources_;
    std::deque<Fault> faults_;
    std::deque<Delivery> outbox_;
    std::string inbox_;
    std::vector<std::string> requests_;
    InstrumentClock clock_;
    Emulation emulation_;
};

}  // namespace sim
