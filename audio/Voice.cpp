#include "audio/Voice.h"

#include <bit>

namespace qf::sound {

namespace {

constexpr double kRampSeconds = 0.005;
// A step of one recording frame per output frame, in 32.32 fixed point.
constexpr std::uint64_t kUnitStep = std::uint64_t{1} << 32;

} // namespace

void Voice::attach(const Recording* recording, int deviceRate) noexcept {
    // A slot taken again must not carry anything of the voice that had it before. The audio
    // thread does not look at the voice until the mixer publishes it, after this.
    targetGains_.store(packGains(1.0f, 1.0f), std::memory_order_relaxed);
    control_.store(kLooping, std::memory_order_relaxed);
    place_.store(0, std::memory_order_relaxed);
    readPos_ = 0;
    step_ = 0;
    stepFrequency_ = 0;
    ended_ = false;
    currentLeft_ = currentRight_ = 0.0f;
    rampTargetLeft_ = rampTargetRight_ = 0.0f;
    rampStepLeft_ = rampStepRight_ = 0.0f;
    rampRemaining_ = 0;
    ++attachments_;
    seeksTaken_ = endsTaken_ = 0;

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

std::uint64_t Voice::packGains(float left, float right) noexcept {
    return static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(left)) |
           static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(right)) << 32;
}

void Voice::setGains(float left, float right) noexcept {
    targetGains_.store(packGains(left, right), std::memory_order_relaxed);
}

Voice::Gains Voice::targetGains() const noexcept {
    const std::uint64_t both = targetGains_.load(std::memory_order_relaxed);
    return {std::bit_cast<float>(static_cast<std::uint32_t>(both)),
            std::bit_cast<float>(static_cast<std::uint32_t>(both >> 32))};
}

void Voice::setFrequency(std::uint32_t hertz) noexcept {
    frequency_.store(hertz, std::memory_order_relaxed);
}

void Voice::play(bool looping) noexcept {
    std::uint32_t old = control_.load(std::memory_order_relaxed);
    while (!control_.compare_exchange_weak(
        old, ((old & ~(kPlaying | kLooping)) + kCallCount) | kPlaying | (looping ? kLooping : 0),
        std::memory_order_acq_rel, std::memory_order_relaxed)) {
    }
}

void Voice::stop() noexcept {
    std::uint32_t old = control_.load(std::memory_order_relaxed);
    while (!control_.compare_exchange_weak(old, ((old & ~kPlaying) + kCallCount),
                                           std::memory_order_acq_rel, std::memory_order_relaxed)) {
    }
}

void Voice::seek(std::uint32_t frame) noexcept {
    place_.store(kSeekPending | frame, std::memory_order_release);
}

Voice::Period Voice::snapshot() const noexcept {
    return {control_.load(std::memory_order_acquire), place_.load(std::memory_order_acquire)};
}

void Voice::updateTargets(const Period& seen) noexcept {
    const bool audible = (seen.control & kPlaying) != 0 && (seen.place & kSeekPending) == 0;
    const Gains target = audible ? targetGains() : Gains{0.0f, 0.0f};
    const float left = target.left;
    const float right = target.right;
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
        if (step_ > kUnitStep) {
            stretched_.setStep(step_);
        }
    }
}

void Voice::endOneShot(std::uint32_t control) noexcept {
    // A one-shot play ends with its recording; the next play starts from the top.
    readPos_ = 0;
    currentLeft_ = currentRight_ = 0.0f;
    rampRemaining_ = 0;
    rampTargetLeft_ = rampTargetRight_ = 0.0f;
    ended_ = true;
    // Only if nothing was asked since the period began: a Play that came meanwhile stands, and
    // starts the recording again from the top.
    if (control_.compare_exchange_strong(control, control & ~kPlaying, std::memory_order_acq_rel,
                                         std::memory_order_relaxed)) {
        ++endsTaken_;
        lastEnd_ = control & ~kPlaying;
    }
}

void Voice::skipSilently(std::uint32_t control, std::size_t frames) noexcept {
    const std::uint64_t end = static_cast<std::uint64_t>(recording_->frames()) << 32;
    const std::uint64_t next = readPos_ + step_ * frames;
    if (next >= end && (control & kLooping) == 0) {
        endOneShot(control);
        return;
    }
    readPos_ = next % end;
}

template <bool Ramping>
std::size_t Voice::mixSpan(std::uint32_t control, float* out, std::size_t frames) noexcept {
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
    if ((control & kLooping) == 0 && step_ > 0) {
        const std::uint64_t readsBeforeEnd = (end - readPos_ + step_ - 1) / step_;
        if (readsBeforeEnd <= frames) {
            count = static_cast<std::size_t>(readsBeforeEnd);
            ends = true;
        }
    }
    if (step_ > kUnitStep) {
        // Reading faster than the output plays: the cut-off comes down to the output's Nyquist.
        stretched_.mix<Ramping>(span, out, count);
    } else {
        SpanMixer::mix<Ramping>(path_.load(std::memory_order_relaxed), span, out, count);
    }
    if (ends) {
        endOneShot(control);
        return count;
    }
    readPos_ = span.pos;
    currentLeft_ = span.leftGain;
    currentRight_ = span.rightGain;
    return count;
}

void Voice::mix(const Period& seen, float* out, std::size_t frames) noexcept {
    updateTargets(seen);
    ended_ = false;
    std::uint64_t place = seen.place;
    std::size_t done = 0;
    if (rampRemaining_ > 0) {
        const std::size_t span = frames < rampRemaining_ ? frames : rampRemaining_;
        done = mixSpan<true>(seen.control, out, span);
        if (rampRemaining_ > 0) {
            rampRemaining_ -= static_cast<std::uint32_t>(done);
            if (rampRemaining_ == 0) {
                currentLeft_ = rampTargetLeft_;
                currentRight_ = rampTargetRight_;
            }
        }
    }
    if (done < frames && !ended_) {
        if (currentLeft_ != 0.0f || currentRight_ != 0.0f) {
            mixSpan<false>(seen.control, out + 2 * done, frames - done);
        } else if ((place & kSeekPending) != 0) {
            // Jumps happen only while nothing is heard, so a seek cannot click. The fade-in
            // from the new place starts with the next period. A newer seek that came in the
            // meantime stays pending and is made next period instead.
            const std::uint64_t frame = (place & ~kSeekPending) % recording_->frames();
            readPos_ = frame << 32;
            if (place_.compare_exchange_strong(place, place & ~kSeekPending,
                                               std::memory_order_acq_rel)) {
                ++seeksTaken_;
                lastSeek_ = place;
                place &= ~kSeekPending;
            }
        } else if ((seen.control & kPlaying) != 0) {
            skipSilently(seen.control, frames - done);
        }
    }
    // The position is reported unless a seek is waiting: that place stays reported until the
    // jump is made, and a seek that came during this period is never written over.
    if ((place & kSeekPending) == 0) {
        place_.compare_exchange_strong(place, readPos_ >> 32, std::memory_order_acq_rel);
    }
}

Voice::Resume Voice::save() const noexcept {
    return {attachments_,  readPos_,       step_,          stepFrequency_,  stretched_,
            ended_,        currentLeft_,   currentRight_,  rampTargetLeft_, rampTargetRight_,
            rampStepLeft_, rampStepRight_, rampRemaining_, seeksTaken_,     endsTaken_};
}

void Voice::restore(const Resume& state) noexcept {
    Resume fresh;
    fresh.attachment = attachments_;
    const Resume& from = state.attachment == attachments_ ? state : fresh;
    if (from.seeksTaken != seeksTaken_) {
        // The jump made since is asked for again, unless a newer one is waiting already.
        std::uint64_t now = place_.load(std::memory_order_acquire);
        if ((now & kSeekPending) == 0) {
            place_.compare_exchange_strong(now, lastSeek_, std::memory_order_acq_rel);
        }
    }
    if (from.endsTaken != endsTaken_) {
        // Playing again, unless the interface asked for anything since the end.
        std::uint32_t ended = lastEnd_;
        control_.compare_exchange_strong(ended, lastEnd_ | kPlaying, std::memory_order_acq_rel,
                                         std::memory_order_relaxed);
    }
    readPos_ = from.readPos;
    step_ = from.step;
    stepFrequency_ = from.stepFrequency;
    stretched_ = from.stretched;
    ended_ = from.ended;
    currentLeft_ = from.currentLeft;
    currentRight_ = from.currentRight;
    rampTargetLeft_ = from.rampTargetLeft;
    rampTargetRight_ = from.rampTargetRight;
    rampStepLeft_ = from.rampStepLeft;
    rampStepRight_ = from.rampStepRight;
    rampRemaining_ = from.rampRemaining;
    seeksTaken_ = from.seeksTaken;
    endsTaken_ = from.endsTaken;
}

} // namespace qf::sound
