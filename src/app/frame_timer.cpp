#include "app/frame_timer.h"

#include <SDL_timer.h>

#include "platform/system_info.h"
#include "shared/message_box.h"

namespace {
int g_liveTimers = 0;
}

FrameTimer::FrameTimer()
{
    if (++g_liveTimers > 1) ShowErrorBox("Time Instance already exists");
    uint64_t frequency = PerformanceFrequency();
    m_frequency = frequency > 0 ? frequency : 1000;
}

FrameTimer::~FrameTimer() { --g_liveTimers; }

void FrameTimer::setFrequency(uint64_t countsPerSecond) { m_frequency = countsPerSecond > 0 ? countsPerSecond : 1000; }

uint64_t FrameTimer::readCounter()
{
    // A counter that reads 0 is asked again, a few times; after that the
    // millisecond clock stands in for it.
    for (int attempt = 0; attempt < 16; ++attempt) {
        uint64_t now = ReadPerformanceCounter();
        if (now != 0) return now;
    }
    m_frequency = 1000;
    return SDL_GetTicks64();
}

void FrameTimer::Reset() { Reset(readCounter()); }

void FrameTimer::Reset(uint64_t now)
{
    m_start = now;
    m_last = now;
    m_secondsSinceStart = 0.0;
    for (float& rate : m_ring) rate = 0.0f;
    m_ringIndex = 0;
    m_measured = 0;
    m_average = 0.0f;
}

void FrameTimer::Tick() { Tick(readCounter()); }

void FrameTimer::Tick(uint64_t now)
{
    if (now <= m_last) {
        // Faster than the counter's resolution (or a counter that stepped
        // back): no time passed. Nothing to report and nothing to measure.
        m_lastDelta = 0;
        m_frameTime = 0.0f;
        return;
    }
    uint64_t delta = now - m_last;
    m_last = now;
    m_lastDelta = delta;
    m_secondsSinceStart = static_cast<double>(now - m_start) / static_cast<double>(m_frequency);

    m_frameRate = static_cast<float>(static_cast<double>(m_frequency) / static_cast<double>(delta));
    m_frameTime = 1.0f / m_frameRate;
    if (m_frameRate < 5.0f && m_average > 6.0f) {
        m_frameRate = 0.0f;
        m_frameTime = 0.0f;
    }

    m_ring[m_ringIndex] = m_frameRate;
    m_ringIndex = (m_ringIndex + 1) % kRingSize;
    if (m_measured < kRingSize) ++m_measured;
    if (m_measured == kRingSize) {
        double sum = 0.0;
        for (float rate : m_ring) sum += rate;
        m_average = static_cast<float>(sum / kRingSize);
    }
}

FrameTimer& Timer()
{
    static FrameTimer timer;
    return timer;
}
