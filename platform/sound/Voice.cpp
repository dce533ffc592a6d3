#include "Voice.h"

namespace qf::sound {

namespace {

constexpr double kRampSeconds = 0.005;

} // namespace

void Voice::attach(const Recording* recording, int deviceRate) noexcept {
    recording_ = recording;
    // The table is built here, on the interface thread, if no voice has needed it before.
    filter_ = &ResamplingFilter::instance();
    path_.store(SpanMixer::fastestPath(), std::memory_order_relaxed);
    deviceRate_ = static_cast<std::uint32_t>(deviceRate);
    rampFrames_ = static_cast<std::uint32_t>(deviceRate * kRampSeconds + 0.5);
    if (rampFrames_ == 0) {
        rampFrames_ = 1;
    }
    frequency_.store(static_cast<std::uint32_t>(recording->sampleRate()),
                     std::memory_order_relaxed);
}

void Voice::usePath(SpanMixer::Path path) noexcept {
    if (SpanMixer::supports(path)) {
        path_.store(path, std::memory_order_relaxed);
    }
}

void Voice::setGains(float left, float right) noexcept {
    targetLeft_.store(left, std::memory_order_relaxed);
    targetRight_.store(right, std::memory_order_relaxed);
}

void Voice::setFrequency(std::uint32_t hertz) noexcept {
    frequency_.store(hertz, std::memory_order_relaxed);
}

void Voice::play(bool looping) noexcept {
    looping_.store(looping, std::memory_order_relaxed);
    playing_.store(true, std::memory_order_release);
}

void Voice::stop() noexcept {
    playing_.store(false, std::memory_order_release);
}

void Voice::seek(std::uint32_t frame) noexcept {
    pendingSeek_.store(frame, std::memory_order_release);
    position_.store(frame, std::memory_order_relaxed);
}

void Voice::updateTargets() noexcept {
    const bool audible = playing_.load(std::memory_order_acquire) &&
                         pendingSeek_.load(std::memory_order_acquire) < 0;
    const float left = audible ? targetLeft_.load(std::memory_order_relaxed) : 0.0f;
    const float right = audible ? targetRight_.load(std::memory_order_relaxed) : 0.0f;
    if (left != rampTargetLeft_ || right != rampTargetRight_) {
        rampTargetLeft_ = left;
        rampTargetRight_ = right;
        rampRemaining_ = rampFrames_;
        rampStepLeft_ = (left - currentLeft_) / static_cast<float>(rampFrames_);
        rampStepRight_ = (right - currentRight_) / static_cast<float>(rampFrames_);
    }
    const std::uint32_t hertz = frequency_.load(std::memory_order_relaxed);
    if (hertz != stepFrequency_) {
        stepFrequency_ = hertz;
        step_ = (static_cast<std::uint64_t>(hertz) << 32) / deviceRate_;
    }
}

void Voice::skipSilently(std::size_t frames) noexcept {
    const std::uint64_t end = static_cast<std::uint64_t>(recording_->frames()) << 32;
    readPos_ = (readPos_ + step_ * frames) % end;
}

template <bool Ramping> std::size_t Voice::mixSpan(float* out, std::size_t frames) noexcept {
    const std::uint64_t end = static_cast<std::uint64_t>(recording_->frames()) << 32;
    SpanMixer::Span span{recording_->side(0) - ResamplingFilter::kTapsBefore,
                         recording_->side(1) - ResamplingFilter::kTapsBefore,
                         filter_,
                         readPos_,
                         step_,
                         end,
                         currentLeft_,
                         currentRight_,
                         rampStepLeft_,
                         rampStepRight_};
    // A one-shot play mixes up to the read that reaches the end of its recording.
    std::size_t count = frames;
    bool ends = false;
    if (!looping_.load(std::memory_order_relaxed) && step_ > 0) {
        const std::uint64_t readsBeforeEnd = (end - readPos_ + step_ - 1) / step_;
        if (readsBeforeEnd <= frames) {
            count = static_cast<std::size_t>(readsBeforeEnd);
            ends = true;
        }
    }
    SpanMixer::mix<Ramping>(path_.load(std::memory_order_relaxed), span, out, count);
    if (ends) {
        // A one-shot play ends with its recording; the next play starts from the top.
        readPos_ = 0;
        currentLeft_ = currentRight_ = 0.0f;
        rampRemaining_ = 0;
        rampTargetLeft_ = rampTargetRight_ = 0.0f;
        playing_.store(false, std::memory_order_release);
        return count;
    }
    readPos_ = span.pos;
    currentLeft_ = span.leftGain;
    currentRight_ = span.rightGain;
    return count;
}

bool Voice::applyPendingSeek() noexcept {
    const std::int64_t seek = pendingSeek_.load(std::memory_order_acquire);
    if (seek < 0) {
        return false;
    }
    readPos_ = static_cast<std::uint64_t>(seek) << 32;
    std::int64_t expected = seek;
    pendingSeek_.compare_exchange_strong(expected, -1, std::memory_order_acq_rel);
    return true;
}

void Voice::mixInto(float* out, std::size_t frames) noexcept {
    updateTargets();
    std::size_t done = 0;
    if (rampRemaining_ > 0) {
        const std::size_t span = frames < rampRemaining_ ? frames : rampRemaining_;
        done = mixSpan<true>(out, span);
        if (rampRemaining_ > 0) {
            rampRemaining_ -= static_cast<std::uint32_t>(done);
            if (rampRemaining_ == 0) {
                currentLeft_ = rampTargetLeft_;
                currentRight_ = rampTargetRight_;
            }
        }
    }
    if (done < frames) {
        if (currentLeft_ != 0.0f || currentRight_ != 0.0f) {
            mixSpan<false>(out + 2 * done, frames - done);
        } else if (applyPendingSeek()) {
            // Jumps happen only while nothing is heard, so a seek cannot click. The fade-in
            // from the new place starts with the next period.
        } else if (playing_.load(std::memory_order_relaxed)) {
            skipSilently(frames - done);
        }
    }
    position_.store(static_cast<std::uint32_t>(readPos_ >> 32), std::memory_order_relaxed);
}

} // namespace qf::sound
