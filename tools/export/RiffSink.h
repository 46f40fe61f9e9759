#pragma once

// Where a RIFF writer's bytes go. A file takes them; a layout only counts them and keeps what
// is written over earlier bytes, so a file can be planned before it is written.

#include <cstdint>
#include <map>
#include <vector>

namespace tavrin::exporter {

class RiffSink {
public:
    virtual ~RiffSink() = default;
    virtual void write(const void* bytes, std::size_t count) = 0;
    // Overwrites bytes already written (sizes and indexes known only later).
    virtual void overwrite(std::int64_t offset, const void* bytes, std::size_t count) = 0;
    virtual std::int64_t size() const = 0;
};

// A dry run: the file's length and its final values of every overwritten field.
class RiffLayout : public RiffSink {
public:
    void write(const void*, std::size_t count) override;
    void overwrite(std::int64_t offset, const void* bytes, std::size_t count) override;
    std::int64_t size() const override { return size_; }
    // Offset -> bytes, without overlaps.
    const std::map<std::int64_t, std::vector<std::uint8_t>>& finalFields() const { return fields_; }
    // The length of every write, in order.
    const std::vector<std::size_t>& writes() const { return writes_; }

private:
    std::int64_t size_ = 0;
    std::vector<std::size_t> writes_;
    std::map<std::int64_t, std::vector<std::uint8_t>> fields_;
};

// Writes to `target` with the planned final fields already in place, so that a run which turns
// out as planned never has to go back. A run that leaves the plan (a write of another length)
// gets its fields back as they were written and goes on as if there had been no plan.
class PlannedSink : public RiffSink {
public:
    PlannedSink(RiffSink& target, const RiffLayout& plan) : target_(target), plan_(plan) {}
    void write(const void* bytes, std::size_t count) override;
    void overwrite(std::int64_t offset, const void* bytes, std::size_t count) override;
    std::int64_t size() const override { return target_.size(); }
    // Whether the file came out exactly as planned so far.
    bool asPlanned() const { return onPlan_ && !wentBack_; }

private:
    void leavePlan();

    RiffSink& target_;
    const RiffLayout& plan_;
    std::size_t writes_ = 0;
    bool onPlan_ = true;
    bool wentBack_ = false;
    std::vector<std::uint8_t> patched_;
    // What the planned fields replaced, to put back when the run leaves the plan.
    std::map<std::int64_t, std::vector<std::uint8_t>> replaced_;
};

}  // namespace tavrin::exporter
