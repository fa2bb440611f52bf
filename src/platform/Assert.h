#pragma once

// Internal invariants. Always on, also in release builds: a broken invariant stops the
// process, naming the function, the source file, the line and the expression text.
[[noreturn]] void tandrelAssertFailed(const char* function, const char* file, int line,
                                      const char* expression);

#define TANDREL_ASSERT(expr)                                                                       \
    ((expr) ? static_cast<void>(0)                                                                 \
            : tandrelAssertFailed(__PRETTY_FUNCTION__, __FILE__, __LINE__, #expr))

// For event codes that cannot occur: TANDREL_ASSERT(NO) reports the expression "NO".
inline constexpr bool NO = false;
