#pragma once
// The permittivity preset a file's permittivity stands for: 0..6 for 10.7, 9.8, 8.9, 8.0, 7.4,
// 6.8 and 6.2, compared at the single precision the files store; 8 for any other value. (7, the
// time axis, is the readers' own decision from a zero permittivity or a time scale.)

namespace rebar {

inline int PermittivityPresetOf(float er) {
    constexpr float presets[] = {10.7f, 9.8f, 8.9f, 8.0f, 7.4f, 6.8f, 6.2f};
    for (int i = 0; i < 7; ++i)
        if (er == presets[i])
            return i;
    return 8;
}

} // namespace rebar
