#pragma once
// A line that carries nothing and window hooks that do nothing, for the targets that need the
// program-wide state (ProgramState) but no sensor.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/LinkUi.h"
#include "link/SerialLine.h"

namespace k7::fuzz {

class NoLine final : public SerialLine {
public:
    void open(const std::string&, const std::string&) override {}
    void close() override {}
    bool isOpen() const override { return false; }
    int bytesWaiting() override { return 0; }
    void discardInput() override {}
    void write(std::span<const std::uint8_t>) override {}
    std::optional<std::uint8_t> readByte() override { return std::nullopt; }
    bool waitForBytes(int, std::int64_t) override { return false; }
    void reopen() override {}
};

class NoUi final : public LinkUi {
public:
    std::string addressedTagText() override { return "1"; }
};

}  // namespace k7::fuzz
