#include "core/clock.h"

#include "shell_base/log.h"

#include <cmath>

Clock::Clock() : m_source{&plat::TimerGetCaps, &plat::TimerBeginPeriod, &plat::TimerEndPeriod, &plat::TimerTime} {}

void Clock::Update() {
    m_delta = 0;
    if (m_fixed) {
        m_step = static_cast<int32_t>(m_fixedStep);
        uint32_t sinceUpdate = Elapsed() - m_previous;
        if (sinceUpdate > m_fixedStep) {
            // The product is rounded to a float before it is rounded up: the i686 build
            // computes on the x87 stack, whose wider product of 20 and 0.1f lies just
            // above 2 and would become 3 steps, where a whole number must stay whole.
            volatile float scaled = static_cast<float>(sinceUpdate) * m_fixedReciprocal;
            float steps = std::ceil(static_cast<float>(scaled));
            m_step = static_cast<int32_t>(static_cast<float>(m_fixedStep) * steps);
        }
    }
    uint32_t t = Elapsed();
    m_current = static_cast<int32_t>(t);
    m_delta = static_cast<int32_t>(t - m_previous);
    m_previous = t;
    m_currentSeconds = static_cast<float>(static_cast<double>(t) * 0.001);
    m_deltaSeconds = static_cast<float>(static_cast<double>(static_cast<uint32_t>(m_delta)) * 0.001);
    m_rate = m_deltaSeconds > 0 ? 1.0f / m_deltaSeconds : -1.0f;
}

void Clock::clkReset() {
    plat::LockGuard guard(m_lock);
    m_base = m_source.now();
    m_previous = 0;
    m_delta = 0;
    Update();
}

void Clock::clkSetStep(int32_t value) {
    plat::LockGuard guard(m_lock);
    m_step = value;
}

int32_t Clock::clkGetTimeMs() {
    plat::LockGuard guard(m_lock);
    return m_current;
}

float Clock::clkGetTime() {
    plat::LockGuard guard(m_lock);
    return m_currentSeconds;
}

void Clock::clkUpdate() {
    plat::LockGuard guard(m_lock);
    Update();
}

int32_t Clock::clkGetDeltaMs() {
    plat::LockGuard guard(m_lock);
    return m_delta;
}

float Clock::clkGetDelta() {
    plat::LockGuard guard(m_lock);
    return m_deltaSeconds;
}

float Clock::clkGetRate() {
    plat::LockGuard guard(m_lock);
    return m_rate;
}

void Clock::clkWait(uint32_t milliseconds) {
    plat::LockGuard guard(m_lock);
    while (Elapsed() - m_previous < milliseconds) {
    }
}

void Clock::clkSetFixedStep(int32_t enable, uint32_t step) {
    plat::LockGuard guard(m_lock);
    if (enable && step) {
        m_fixed = 1;
        m_fixedStep = step;
        m_fixedReciprocal = 1.0f / static_cast<float>(step);
    } else {
        m_fixed = 0;
        m_fixedStep = 0;
        m_fixedReciprocal = 0;
    }
}

bool Clock::Start() {
    plat::LockGuard guard(m_lock);
    uint32_t minPeriod = 0;
    uint32_t maxPeriod = 0;
    if (!m_source.getCaps(&minPeriod, &maxPeriod)) {
        LogError("Unable to get TimeCaps!");
        return false;
    }
    if (minPeriod > kCoarsestPeriod) {
        LogError("Not enough timer resolution (%d,%d)!", static_cast<int>(minPeriod), static_cast<int>(maxPeriod));
        return false;
    }
    m_fixed = 0;
    m_fixedStep = 0;
    m_fixedReciprocal = 0;
    m_period = minPeriod;
    m_source.beginPeriod(m_period);
    m_step = static_cast<int32_t>(m_period);
    m_base = m_source.now();
    m_previous = 0;
    m_delta = 0;
    Update();
    return true;
}

void Clock::Stop() {
    plat::LockGuard guard(m_lock);
    m_source.endPeriod(m_period);
}

uint32_t Clock::TimerPeriod() {
    plat::LockGuard guard(m_lock);
    return m_period;
}

int32_t Clock::StepValue() {
    plat::LockGuard guard(m_lock);
    return m_step;
}
