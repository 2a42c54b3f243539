// FrameTimer: frame rate and frame time from the performance counter.
//
// Tick runs once per frame. A frame that reads the same counter value as
// the previous one (or an earlier one) counts as a frame of zero time: it
// moves nothing and is not measured. A frame slower than 5 per second
// while the average is above 6 (a dialog, a window drag) counts as 0
// frames per second and 0 seconds, so the camera does not jump. The
// average is the mean of the last 30 measured rates, 0 until 30 frames
// have been measured.
#pragma once

#include <cstdint>

class FrameTimer {
public:
    static constexpr int kRingSize = 30;

    FrameTimer();
    ~FrameTimer();
    FrameTimer(const FrameTimer&) = delete;
    FrameTimer& operator=(const FrameTimer&) = delete;

    // Starts counting from now: seconds since start 0, ring cleared.
    void Reset();
    void Reset(uint64_t now);
    void Tick();
    void Tick(uint64_t now);

    // Counts per second; a counter without one falls back to milliseconds.
    void setFrequency(uint64_t countsPerSecond);

    double secondsSinceStart() const { return m_secondsSinceStart; }
    float frameRate() const { return m_frameRate; }
    float frameTime() const { return m_frameTime; }
    float averageFrameRate() const { return m_average; }
    uint64_t lastDelta() const { return m_lastDelta; }

private:
    uint64_t readCounter();

    uint64_t m_last = 0;
    uint64_t m_frequency = 1000;
    uint64_t m_lastDelta = 0;
    float m_frameRate = 0.0f;
    float m_frameTime = 0.0f;
    uint64_t m_start = 0;
    double m_secondsSinceStart = 0.0;
    float m_ring[kRingSize] = {};
    int m_ringIndex = 0;
    int m_measured = 0;
    float m_average = 0.0f;
};

// The frame loop's timer.
FrameTimer& Timer();
