// The frame clock ("CLK"): raises the multimedia timer to its finest period
// and records, at each update, the time since the base moment and since the
// previous update. Elapsed times are unsigned 32-bit differences, so they stay
// right across the timer's wrap-around.
#pragma once

#include "platform/platform.h"
#include "varn/clk.h"

class Clock final : public IClock {
public:
    // The timer the clock reads; tests drive their own.
    struct TimerSource {
        bool (*getCaps)(uint32_t* minPeriod, uint32_t* maxPeriod);
        bool (*beginPeriod)(uint32_t period);
        bool (*endPeriod)(uint32_t period);
        uint32_t (*now)();
    };

    // The coarsest minimum timer period the clock accepts.
    static const uint32_t kCoarsestPeriod = 17;

    Clock();
    explicit Clock(const TimerSource& source) : m_source(source) {}
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    void clkReset() override;
    void clkSetStep(int32_t value) override;
    int32_t clkGetTimeMs() override;
    float clkGetTime() override;
    void clkUpdate() override;
    int32_t clkGetDeltaMs() override;
    float clkGetDelta() override;
    float clkGetRate() override;
    void clkWait(uint32_t milliseconds) override;
    void clkSetFixedStep(int32_t enable, uint32_t step) override;

    // Bring-up: checks the timer and raises its period; false (with the
    // message) when the timer cannot serve, leaving the clock unstarted.
    bool Start();
    // Teardown: ends the raised timer period.
    void Stop();

    uint32_t TimerPeriod();
    int32_t StepValue();

private:
    uint32_t Elapsed() const { return m_source.now() - m_base; }
    void Update();

    plat::ReentrantLock m_lock;
    TimerSource m_source;
    uint32_t m_period = 0;
    uint32_t m_base = 0;
    uint32_t m_previous = 0;
    int32_t m_step = 0;
    int32_t m_current = 0;
    int32_t m_delta = 0;
    float m_currentSeconds = 0;
    float m_deltaSeconds = 0;
    float m_rate = 0;
    int32_t m_fixed = 0;
    uint32_t m_fixedStep = 0;
    float m_fixedReciprocal = 0;
};

// The host's clock.
Clock& TheClock();
