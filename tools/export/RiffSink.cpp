#include "tools/export/RiffSink.h"

#include <algorithm>
#include <cstring>

namespace tavrin::exporter {

void RiffLayout::write(const void*, std::size_t count) {
    writes_.push_back(count);
    size_ += static_cast<std::int64_t>(count);
}

void RiffLayout::overwrite(std::int64_t offset, const void* bytes, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    fields_[offset].assign(in, in + count);
}

void PlannedSink::leavePlan() {
    onPlan_ = false;
    for (const auto& [offset, bytes] : replaced_)
        target_.overwrite(offset, bytes.data(), bytes.size());
    replaced_.clear();
}

void PlannedSink::write(const void* bytes, std::size_t count) {
    if (onPlan_ && (writes_ >= plan_.writes().size() || plan_.writes()[writes_] != count))
        leavePlan();
    ++writes_;
    if (!onPlan_) {
        target_.write(bytes, count);
        return;
    }
    const std::int64_t start = target_.size();
    const std::int64_t end = start + static_cast<std::int64_t>(count);
    const auto& fields = plan_.finalFields();
    // Fields are at most a few kilobytes: one that starts before this write may reach into it.
    auto field = fields.lower_bound(start - 65536);
    while (field != fields.end() &&
           field->first + static_cast<std::int64_t>(field->second.size()) <= start) {
        ++field;
    }
    if (field == fields.end() || field->first >= end) {
        target_.write(bytes, count);
        return;
    }
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    patched_.assign(in, in + count);
    for (; field != fields.end() && field->first < end; ++field) {
        const std::int64_t from = std::max(start, field->first);
        const std::int64_t to =
            std::min(end, field->first + static_cast<std::int64_t>(field->second.size()));
        replaced_[from].assign(in + (from - start), in + (to - start));
        std::memcpy(patched_.data() + (from - start), field->second.data() + (from - field->first),
                    static_cast<std::size_t>(to - from));
    }
    target_.write(patched_.data(), patched_.size());
}

void PlannedSink::overwrite(std::int64_t offset, const void* bytes, std::size_t count) {
    const auto& fields = plan_.finalFields();
    const auto field = fields.find(offset);
    if (onPlan_ && field != fields.end() && field->second.size() == count &&
        std::memcmp(field->second.data(), bytes, count) == 0) {
        // Written so in the first place, and now final: no longer to be put back.
        replaced_.erase(replaced_.lower_bound(offset),
                        replaced_.lower_bound(offset + static_cast<std::int64_t>(count)));
        return;
    }
    wentBack_ = true;
    target_.overwrite(offset, bytes, count);
}

}  // namespace tavrin::exporter
