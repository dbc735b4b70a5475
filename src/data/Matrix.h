#pragma once
// A sample matrix: one contiguous, zero-filled block indexed (trace, sample) with traces
// running from a first index that may be negative (the special traces) and samples from 0.
// A trace is contiguous, so the per-trace loops of reading, processing and rendering walk
// memory in order.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace rebar {

template <typename T> class Matrix {
public:
    Matrix() = default;
    Matrix(const Matrix&) = delete;
    Matrix& operator=(const Matrix&) = delete;
    Matrix(Matrix&& o) noexcept { swap(o); }
    Matrix& operator=(Matrix&& o) noexcept {
        Matrix(std::move(o)).swap(*this);
        return *this;
    }
    ~Matrix() { std::free(m_data); }

    // Allocates traces firstTrace..lastTrace with samples 0..lastSample, all zero. Returns
    // false (and leaves the matrix empty) when the size does not fit memory.
    bool allocate(int firstTrace, int lastTrace, int lastSample) {
        reset();
        if (lastTrace < firstTrace - 1 || lastSample < 0)
            return false;
        const std::size_t traces = static_cast<std::size_t>(lastTrace - firstTrace + 1);
        const std::size_t samples = static_cast<std::size_t>(lastSample) + 1;
        if (traces != 0 && samples > std::numeric_limits<std::size_t>::max() / sizeof(T) / traces)
            return false;
        // calloc hands out fresh zero pages for large blocks without touching them.
        T* p =
            static_cast<T*>(std::calloc(traces * samples == 0 ? 1 : traces * samples, sizeof(T)));
        if (!p)
            return false;
        adviseLargePages(p, traces * samples * sizeof(T));
        m_data = p;
        m_first = firstTrace;
        m_last = lastTrace;
        m_samples = static_cast<int>(samples);
        return true;
    }
    void reset() {
        std::free(m_data);
        m_data = nullptr;
        m_first = 0;
        m_last = -1;
        m_samples = 0;
    }

    bool empty() const { return m_data == nullptr; }
    int firstTrace() const { return m_first; }
    int lastTrace() const { return m_last; }
    int lastSample() const { return m_samples - 1; }
    int samplesPerTrace() const { return m_samples; }
    bool contains(int trace, int sample) const {
        return m_data && trace >= m_first && trace <= m_last && sample >= 0 && sample < m_samples;
    }
    bool hasTrace(int trace) const { return m_data && trace >= m_first && trace <= m_last; }

    T* trace(int t) { return m_data + static_cast<std::ptrdiff_t>(t - m_first) * m_samples; }
    const T* trace(int t) const {
        return m_data + static_cast<std::ptrdiff_t>(t - m_first) * m_samples;
    }
    T& operator()(int t, int s) { return trace(t)[s]; }
    const T& operator()(int t, int s) const { return trace(t)[s]; }

    void swap(Matrix& o) noexcept {
        std::swap(m_data, o.m_data);
        std::swap(m_first, o.m_first);
        std::swap(m_last, o.m_last);
        std::swap(m_samples, o.m_samples);
    }

private:
    // Large matrices are filled page after page right after allocation (a reader fills tens of
    // megabytes); asking for large pages saves most of the page faults that would cost.
    static void adviseLargePages([[maybe_unused]] void* p, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        constexpr std::size_t Large = std::size_t{4} << 20;
        constexpr std::uintptr_t Page = 4096;
        if (bytes < Large)
            return;
        const auto begin = (reinterpret_cast<std::uintptr_t>(p) + Page - 1) & ~(Page - 1);
        const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(Page - 1);
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // a hint only
#endif
    }

    T* m_data = nullptr;
    int m_first = 0;
    int m_last = -1;
    int m_samples = 0;
};

} // namespace rebar
